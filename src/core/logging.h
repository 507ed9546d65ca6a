#pragma once

#include <QLoggingCategory>

// Every line of the program is written in the category "default"; going through a category
// object skips the formatting of disabled levels.
Q_DECLARE_LOGGING_CATEGORY(corvaneLog)
