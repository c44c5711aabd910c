#include "TForm3.h"

#include <QEvent>
#include <initializer_list>
#include <utility>

#include "UiStyle.h"

TForm3::TForm3(QWidget* parent) : ui::FormDialog(parent) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QString());
    setWindowIcon(ui::pictureIcon(QStringLiteral("about")));
    ui::makeWhiteWindow(this);

    Label1 = ui::makeLabel(this, QString(), 80, 16, 324, 121);
    Label1->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    // The picture's top rows are drawn over the bottom of the statement.
    Image1 =
        ui::makePicture(this, ui::picturePixmap(QStringLiteral("about"), 128), 184, 120, 128, 128);
    Image1->raise();
    const QFont bold = ui::uiFont(11, true);
    Label2 = ui::makeLabel(this, QString(), 96, 264, -1, -1, bold);
    Label3 = ui::makeLabel(this, QString(), 16, 312, -1, -1, bold);
    // Contact lines of the project itself; the values are placeholders.
    Label4 = ui::makeLabel(this, QString(), 16, 336);
    Label5 = ui::makeLabel(this, QString(), 16, 352);
    Label6 = ui::makeLabel(this, QStringLiteral("E-mail: support@brindolex.example"), 16, 368);
    Label7 = ui::makeLabel(this, QString(), 16, 384);

    retranslateUi();
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

void TForm3::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) retranslateUi();
    ui::FormDialog::changeEvent(event);
}

void TForm3::retranslateUi() {
    setWindowTitle(tr("О Программе Brindolex DUT configurator v1.2"));
    Label1->setText(ui::displayText(
        tr("Программа разработана специалистами \"Бриндолекс\" для Вашего удобства и комфорта при "
           "программированиии наших датчиков.\r\nПрограмма является бесплатной. Распространение "
           "данной программы не запрещается, а даже приветствуется.")));
    Label2->setText(ui::displayText(tr("С уважением, команда разработчиков \"Бриндолекс\"")));
    Label2->adjustSize();
    Label3->setText(ui::displayText(tr("Наши контакты (на всякий случай):")));
    Label3->adjustSize();
    Label4->setText(ui::displayText(tr("Адрес: 000000, г. Примерск, ул. Образцовая, д. 1")));
    Label4->adjustSize();
    Label5->setText(ui::displayText(tr("Тел.: +7 (000) 000-00-00")));
    Label5->adjustSize();
    Label7->setText(ui::displayText(tr("Сайт: www.brindolex.example")));
    Label7->adjustSize();
}
