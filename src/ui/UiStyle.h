#pragma once

#include "WindowFrame.h"

#include <initializer_list>
#include <utility>

#include <QColor>
#include <QFont>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QString>

class QWidget;

namespace ui {

// Colours of the main window.
inline const QColor kMenuBlue{193, 218, 244};
inline const QColor kMoneyGreen{192, 220, 192};
inline const QColor kPaleBlue{240, 251, 255};
inline const QColor kRed{255, 0, 0};
// Values that are no longer live: plainly grey against both kPaleBlue and white.
inline const QColor kStaleGrey{150, 150, 150};
// A row that needs a look before it is used.
inline const QColor kMarkedRow{255, 200, 200};

// The face the layouts were drawn with, or, where it is missing, a sans-serif face that
// has Cyrillic glyphs. Heights are always given in pixels so the screen density cannot
// change them.
QString uiFontFamily();
QFont uiFont(int pixelHeight = 11, bool bold = false);

// Window texts keep the Windows "\r\n" line breaks; the Qt text layout wants "\n".
QString displayText(const QString& windowsText);

// Gives each control the name it has in the code, so findChild, a screen reader's tree and
// a test robot find it by that name.
void nameControls(std::initializer_list<std::pair<QObject*, const char*>> controls);

// The look shared by the white windows: the layouts' font and a white background.
void makeWhiteWindow(QWidget* window);

// The generated artwork, loaded from the compiled-in resources.
QIcon appIcon();
QIcon pictureIcon(const QString& name);                // e.g. "step3" -> :/pictures/step3.ico
QPixmap picturePixmap(const QString& name, int size);  // the image of that size in the icon
QPixmap monitorPixmap();

// A label drawn straight onto its parent: no frame, no focus, parent's colour shows through.
// With a fixed box it word-wraps inside the box; otherwise it takes the size of its text.
QLabel* makeLabel(QWidget* parent, const QString& text, int x, int y, int w = -1, int h = -1,
                  const QFont& font = uiFont());
QLabel* makeLabel(QWidget* parent, const QString& text, const QRect& box,
                  const QFont& font = uiFont());

// A box with a thin single-line frame and a background of its own, text centred from the top.
QLabel* makeStaticText(QWidget* parent, const QString& text, const QRect& box,
                       const QColor& background, const QColor& textColour, const QFont& font);

// A picture drawn at its natural size from the top left corner of its box.
QLabel* makePicture(QWidget* parent, const QPixmap& pixmap, int x, int y, int w, int h);
QLabel* makePicture(QWidget* parent, const QPixmap& pixmap, const QRect& box);

// A filled rectangle with a thin flat frame and a 1-pixel margin. Its children live in
// inside(), whose origin is the inner edge of the frame, so their positions read as drawn.
class Panel : public QFrame {
  public:
    Panel(QWidget* parent, const QRect& box, const QColor& colour);
    QWidget* inside() const { return inside_; }

  private:
    QWidget* inside_;
};

// A one-line edit box with a flat single-line frame instead of a sunken one. The frame is
// painted over the ordinary frameless box, so the palette's Base colour still fills it.
class FlatLineEdit : public QLineEdit {
  public:
    explicit FlatLineEdit(QWidget* parent = nullptr);

  protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace ui
