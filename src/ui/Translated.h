#pragma once

#include <QString>
#include <string>

namespace ui {

// A text that a Qt-free layer (the link, the configurator logic, the tank table) made of its
// marked pieces and of numbers or names, in the current language: every marked piece in it is
// replaced by its translation, the longest pieces first. In Russian the text comes back as it
// was, byte for byte.
QString translatedCore(const QString& text);
QString translatedCore(const std::string& text);
QString translatedCore(const char* text);

}  // namespace ui
