#include "i18n/language_table.h"

CLanguageTable g_languageTable;
