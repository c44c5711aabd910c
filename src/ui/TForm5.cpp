#include "TForm5.h"

#include <QEvent>
#include <initializer_list>
#include <utility>

#include "UiStyle.h"

TForm5::TForm5(QWidget* parent) : QWidget(parent) {
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setAttribute(Qt::WA_QuitOnClose, false);
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QString());
    setWindowIcon(ui::appIcon());
    ui::makeWhiteWindow(this);

    Label1 = ui::makeLabel(this, QString(), 192, 8, 353, 185);
    Image1 =
        ui::makePicture(this, ui::picturePixmap(QStringLiteral("hotkeys"), 128), 24, 40, 153, 129);

    retranslateUi();
    ui::nameControls({
        {Label1, "Label1"},
        {Image1, "Image1"},
    });

    ui::setOuterSize(this, 622, 247);
}

void TForm5::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) retranslateUi();
    QWidget::changeEvent(event);
}

void TForm5::retranslateUi() {
    setWindowTitle(tr("Горячие клавиши"));
    Label1->setText(ui::displayText(
        tr("Для удобства, при монтаже ДУТа, Вы можете использовать горячие клавиши\r\n  \r\nF1    "
           "- Установить уровень пустого бака\r\nF4    - Установить уровень полного бака\r\nF9    "
           "- Установить сетевой адрес №1\r\nF10  - Установить сетевой адрес №2\r\n  \r\nДанные "
           "клавиши работают при запущенной программе в любом режиме (в фокусе или не в "
           "фокусе)\r\n   \r\nПосле нажатия на горячую клавишу программа выдаст сообщение о "
           "выполненной операции. Данное сообщение можно закрыть клавишей \"Пробел\".")));
}
