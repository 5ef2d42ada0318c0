#pragma once

#include "DialogTemplate.h"

class QWidget;

// Creates the widget a template control stands for, as a child of pParent.
[[nodiscard]] QWidget* CreateDialogControl(const DlgItemTemplate& item, QWidget* pParent);

// Makes the mnemonic of a label or group box move the focus to pTarget.
void SetMnemonicTarget(QWidget* pOwner, QWidget* pTarget);
