#include "MessageBox.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

#include "Application.h"
#include "UiStyle.h"

namespace ui {

namespace {

MessageBoxHook& hook() {
    static MessageBoxHook instance;
    return instance;
}

// QMessageBox centres itself over its parent; these boxes belong in the screen's centre.
class ScreenCentredBox : public QMessageBox {
  public:
    using QMessageBox::QMessageBox;

  protected:
    void showEvent(QShowEvent* event) override {
        QMessageBox::showEvent(event);
        const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
        if (screen) {
            QRect frame = frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
    }
};

}  // namespace

int execMessageBox(QMessageBox& box) {
    if (hook()) {
        return hook()(box);
    }
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    return clicked ? int(box.standardButton(clicked)) : int(QMessageBox::NoButton);
}

void setMessageBoxHook(MessageBoxHook newHook) {
    hook() = std::move(newHook);
}

void showMessage(QWidget* parent, const QString& text) {
    ScreenCentredBox box(QMessageBox::NoIcon, applicationTitle(), displayText(text),
                         QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Ok);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    execMessageBox(box);
}

bool confirmWarning(QWidget* parent, const QString& text) {
    ScreenCentredBox box(QMessageBox::Warning, QStringLiteral("Warning"), displayText(text),
                         QMessageBox::Ok | QMessageBox::Cancel, parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Cancel);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    box.button(QMessageBox::Cancel)->setText(QStringLiteral("Cancel"));
    return execMessageBox(box) == QMessageBox::Ok;
}

bool askYesNo(QWidget* parent, const QString& text) {
    ScreenCentredBox box(QMessageBox::Warning, applicationTitle(), displayText(text),
                         QMessageBox::Yes | QMessageBox::No, parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    box.button(QMessageBox::Yes)->setText(QCoreApplication::translate("MessageBox", "Да"));
    box.button(QMessageBox::No)->setText(QCoreApplication::translate("MessageBox", "Нет"));
    return execMessageBox(box) == QMessageBox::Yes;
}

}  // namespace ui
