#include "DialogControls.h"

#include <QEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>

#include "ByteText.h"

namespace {

// A group box's mnemonic moves the focus to the next control in tab order, as a
// label's does; the group box itself holds no children to give it to.
class GroupMnemonicFilter : public QObject
{
public:
    GroupMnemonicFilter(QWidget* pTarget, QObject* pParent)
        : QObject(pParent)
        , m_pTarget(pTarget)
    {
    }

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override
    {
        if (pEvent->type() == QEvent::Shortcut && m_pTarget != nullptr) {
            m_pTarget->setFocus(Qt::ShortcutFocusReason);
            return true;
        }
        return QObject::eventFilter(pWatched, pEvent);
    }

private:
    QWidget* m_pTarget;
};

// An Alt+letter that reaches the edit matched no enabled mnemonic (Calc during a
// run, Delete with no entry selected): it is a missed command, not text to insert.
class DialogEdit : public CByteEdit
{
public:
    using CByteEdit::CByteEdit;

protected:
    void keyPressEvent(QKeyEvent* pEvent) override
    {
        const Qt::KeyboardModifiers modifiers = pEvent->modifiers();
        if (modifiers.testFlag(Qt::AltModifier) && !modifiers.testFlag(Qt::ControlModifier)
            && !pEvent->text().isEmpty() && pEvent->text().front().isPrint()) {
            pEvent->ignore();
            return;
        }
        CByteEdit::keyPressEvent(pEvent);
    }
};

// A multiple-selection list box: a click or Space toggles one entry. Qt's multi-selection
// also toggles every entry a pressed mouse passes over, which turns a slightly moved click
// into a change of several entries.
class MultipleSelListBox : public QListWidget
{
public:
    using QListWidget::QListWidget;

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(
        const QModelIndex& index, const QEvent* pEvent = nullptr) const override
    {
        if (pEvent != nullptr && pEvent->type() == QEvent::MouseMove)
            return QItemSelectionModel::NoUpdate;
        return QListWidget::selectionCommand(index, pEvent);
    }
};

} // namespace

QWidget* CreateDialogControl(const DlgItemTemplate& item, QWidget* pParent)
{
    const QString csText = QString::fromUtf8(item.csText.data(), static_cast<qsizetype>(item.csText.size()));
    switch (item.controlClass) {
    case DlgControlClass::Static: {
        if (csText.isEmpty() && item.bBorder) {
            auto* const pFrame = new QFrame(pParent);
            pFrame->setFrameShape(QFrame::Box);
            pFrame->setFrameShadow(QFrame::Sunken);
            return pFrame;
        }
        auto* const pLabel = new QLabel(csText, pParent);
        pLabel->setWordWrap(csText.contains(u'\n') || item.cy > 12);
        pLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return pLabel;
    }
    case DlgControlClass::GroupBox: return new QGroupBox(csText, pParent);
    case DlgControlClass::PushButton:
    case DlgControlClass::DefPushButton: {
        auto* const pButton = new QPushButton(csText, pParent);
        pButton->setDefault(item.controlClass == DlgControlClass::DefPushButton);
        return pButton;
    }
    case DlgControlClass::Edit: return new DialogEdit(pParent);
    case DlgControlClass::ListBox: {
        auto* const pList = new MultipleSelListBox(pParent);
        pList->setSelectionMode(QAbstractItemView::MultiSelection);
        pList->setSortingEnabled(false);
        pList->setUniformItemSizes(true);
        return pList;
    }
    case DlgControlClass::ListView: return new QTableWidget(pParent);
    case DlgControlClass::Progress: {
        auto* const pBar = new QProgressBar(pParent);
        pBar->setTextVisible(false);
        pBar->setValue(0);
        return pBar;
    }
    }
    return nullptr;
}

void SetMnemonicTarget(QWidget* pOwner, QWidget* pTarget)
{
    if (auto* const pLabel = qobject_cast<QLabel*>(pOwner))
        pLabel->setBuddy(pTarget);
    else
        pOwner->installEventFilter(new GroupMnemonicFilter(pTarget, pOwner));
}
