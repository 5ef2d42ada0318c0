#pragma once

// Registers the application's resources with the shared UI library: the string
// table, the main dialog's templates, the icon and the version data.
void RegisterPindrelResources();
// Registers the controls' accessible names and descriptions in the string table.
void RegisterControlTexts();
