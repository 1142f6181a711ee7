#pragma once

// The host speaks Brazilian Portuguese: Qt's own texts (the buttons of
// message boxes, the file and print dialogs, a screen's window menu, the
// calendar's month names) come from Qt's pt_BR translations, and dates and
// numbers follow the pt_BR locale. Gives false when Qt's translation files
// are not installed: Qt's texts then stay in English.
bool UseBrazilianPortuguese();
