#pragma once

namespace korvath::ui {

// Makes Qt's own texts (file dialogs, their messages, standard buttons) Japanese, like the rest
// of the program. Without the translation installed they stay English; nothing else changes.
// Returns whether the translation was loaded.
bool InstallQtTranslation();

}  // namespace korvath::ui
