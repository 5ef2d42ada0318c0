#pragma once

#include "DialogTemplate.h"

// The main dialog's template in one language.
[[nodiscard]] DialogTemplate MainDialogTemplate(DlgLanguage language);
