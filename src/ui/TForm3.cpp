#include "TForm3.h"

#include <initializer_list>
#include <utility>

#include "UiStyle.h"

TForm3::TForm3(QWidget* parent) : ui::FormDialog(parent) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("О Программе Brindolex DUT configurator v1.2"));
    setWindowIcon(ui::pictureIcon(QStringLiteral("about")));
    ui::makeWhiteWindow(this);

    Label1 = ui::makeLabel(
        this,
        QStringLiteral(
            "Программа разработана специалистами \"Бриндолекс\" для Вашего удобства и комфорта при "
            "программированиии наших датчиков.\r\nПрограмма является бесплатной. Распространение "
            "данной программы не запрещается, а даже приветствуется."),
        80, 16, 324, 121);
    Label1->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    // The picture's top rows are drawn over the bottom of the statement.
    Image1 =
        ui::makePicture(this, ui::picturePixmap(QStringLiteral("about"), 128), 184, 120, 128, 128);
    Image1->raise();
    const QFont bold = ui::uiFont(11, true);
    Label2 =
        ui::makeLabel(this, QStringLiteral("С уважением, команда разработчиков \"Бриндолекс\""), 96,
                      264, -1, -1, bold);
    Label3 = ui::makeLabel(this, QStringLiteral("Наши контакты (на всякий случай):"), 16, 312, -1,
                           -1, bold);
    // Contact lines of the project itself; the values are placeholders.
    Label4 = ui::makeLabel(this, QStringLiteral("Адрес: 000000, г. Примерск, ул. Образцовая, д. 1"),
                           16, 336);
    Label5 = ui::makeLabel(this, QStringLiteral("Тел.: +7 (000) 000-00-00"), 16, 352);
    Label6 = ui::makeLabel(this, QStringLiteral("E-mail: support@brindolex.example"), 16, 368);
    Label7 = ui::makeLabel(this, QStringLiteral("Сайт: www.brindolex.example"), 16, 384);

    ui::nameControls({
        {Label1, "Label1"},
        {Image1, "Image1"},
        {Label2, "Label2"},
        {Label3, "Label3"},
        {Label4, "Label4"},
        {Label5, "Label5"},
        {Label6, "Label6"},
        {Label7, "Label7"},
    });

    ui::setOuterSize(this, 511, 444);
}
