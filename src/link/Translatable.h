#pragma once

// Marks a text of the user interface that a Qt-free layer composes. The text stays what it is
// here, the Russian original; the window that shows it looks up its translation under the
// context (QCoreApplication::translate). lupdate reads the macro as QT_TRANSLATE_NOOP.
#define DUT_TR_NOOP(context, text) text
