#include "UiStyle.h"

#include <QEvent>
#include <QFontDatabase>
#include <QImageReader>
#include <QPainter>
#include <QPalette>
#include <QRegularExpression>
#include <QStringList>
#include <QValidator>
#include <QWidget>

static void initPictureResources() {
    Q_INIT_RESOURCE(pictures);
}

namespace ui {

QString uiFontFamily() {
    static const QString family = [] {
        const QStringList families = QFontDatabase::families();
        // Windows' own face first, then sans-serif faces with Cyrillic glyphs, the narrower
        // ones first: the boxes were sized for the narrow MS Sans Serif.
        for (const char* name :
             {"MS Sans Serif", "Microsoft Sans Serif", "Liberation Sans", "Arial",
              "DejaVu Sans Condensed", "DejaVu Sans", "Noto Sans", "FreeSans"}) {
            if (families.contains(QString::fromLatin1(name), Qt::CaseInsensitive)) {
                return QString::fromLatin1(name);
            }
        }
        return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    }();
    return family;
}

QFont uiFont(int pixelHeight, bool bold) {
    QFont font(uiFontFamily());
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

void nameControls(std::initializer_list<std::pair<QObject*, const char*>> controls) {
    for (const auto& [control, name] : controls) control->setObjectName(QString::fromLatin1(name));
}

QString displayText(const QString& windowsText) {
    QString text = windowsText;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

static void ensureResources() {
    static const bool done = [] {
        initPictureResources();
        return true;
    }();
    (void)done;
}

QIcon appIcon() {
    return pictureIcon(QStringLiteral("app"));
}

QIcon pictureIcon(const QString& name) {
    ensureResources();
    return QIcon(QStringLiteral(":/pictures/%1.ico").arg(name));
}

QPixmap picturePixmap(const QString& name, int size) {
    ensureResources();
    // QIcon::pixmap would scale to the screen's pixel ratio; read the stored image as it is.
    QImageReader reader(QStringLiteral(":/pictures/%1.ico").arg(name));
    do {
        const QImage image = reader.read();
        if (!image.isNull() && image.width() == size && image.hasAlphaChannel()) {
            return QPixmap::fromImage(image);
        }
    } while (reader.jumpToNextImage());
    return {};
}

QPixmap monitorPixmap() {
    ensureResources();
    return QPixmap(QStringLiteral(":/pictures/monitor.png"));
}

QLabel* makeLabel(QWidget* parent, const QString& text, int x, int y, int w, int h,
                  const QFont& font) {
    auto* label = new QLabel(displayText(text), parent);
    label->setFont(font);
    label->setTextFormat(Qt::PlainText);
    label->setFocusPolicy(Qt::NoFocus);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setContentsMargins(0, 0, 0, 0);
    label->setIndent(0);
    if (w >= 0 && h >= 0) {
        label->setWordWrap(true);
        label->setGeometry(x, y, w, h);
    } else {
        label->move(x, y);
        label->adjustSize();
    }
    return label;
}

QLabel* makeLabel(QWidget* parent, const QString& text, const QRect& box, const QFont& font) {
    return makeLabel(parent, text, box.x(), box.y(), box.width(), box.height(), font);
}

void makeWhiteWindow(QWidget* window) {
    window->setFont(uiFont());
    window->setAutoFillBackground(true);
    QPalette white = window->palette();
    white.setColor(QPalette::Window, Qt::white);
    window->setPalette(white);
}

QLabel* makeStaticText(QWidget* parent, const QString& text, const QRect& box,
                       const QColor& background, const QColor& textColour, const QFont& font) {
    auto* staticText = new QLabel(displayText(text), parent);
    staticText->setTextFormat(Qt::PlainText);
    staticText->setFrameStyle(QFrame::Box | QFrame::Plain);
    staticText->setLineWidth(1);
    staticText->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    staticText->setWordWrap(true);
    staticText->setFocusPolicy(Qt::NoFocus);
    staticText->setFont(font);
    staticText->setAutoFillBackground(true);
    QPalette pal = staticText->palette();
    pal.setColor(QPalette::Window, background);
    pal.setColor(QPalette::WindowText, textColour);
    staticText->setPalette(pal);
    staticText->setGeometry(box);
    return staticText;
}

QLabel* makePicture(QWidget* parent, const QPixmap& pixmap, int x, int y, int w, int h) {
    auto* picture = new QLabel(parent);
    picture->setPixmap(pixmap);
    picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    picture->setContentsMargins(0, 0, 0, 0);
    picture->setFocusPolicy(Qt::NoFocus);
    picture->setGeometry(x, y, w, h);
    return picture;
}

QLabel* makePicture(QWidget* parent, const QPixmap& pixmap, const QRect& box) {
    return makePicture(parent, pixmap, box.x(), box.y(), box.width(), box.height());
}

Panel::Panel(QWidget* parent, const QRect& box, const QColor& colour)
    : QFrame(parent), inside_(new QWidget(this)) {
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, colour);
    setPalette(pal);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(box);
    inside_->setGeometry(1, 1, box.width() - 2, box.height() - 2);
}

namespace {

// Single-line fields on the system the program comes from keep a pasted text up to its first
// line break (a spreadsheet cell copied as "14\n"); Qt's would keep the break in the text.
class FirstLineOfPaste : public QValidator {
  public:
    using QValidator::QValidator;

    State validate(QString& input, int& pos) const override {
        const qsizetype lineBreak = input.indexOf(QRegularExpression(QStringLiteral("[\r\n]")));
        if (lineBreak < 0) return Acceptable;
        // The text before held no break, so the break came with the text just inserted,
        // which ends at the cursor: what follows the cursor was there before and stays.
        const qsizetype end = pos > lineBreak ? pos : input.size();
        input.remove(lineBreak, end - lineBreak);
        pos = int(lineBreak);
        return Acceptable;
    }
};

}  // namespace

FlatLineEdit::FlatLineEdit(QWidget* parent) : QLineEdit(parent) {
    setFrame(false);
    setTextMargins(2, 0, 2, 0);
    setValidator(new FirstLineOfPaste(this));
}

void FlatLineEdit::paintEvent(QPaintEvent* event) {
    QLineEdit::paintEvent(event);
    QPainter painter(this);
    painter.setPen(QColor(122, 122, 122));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace ui
