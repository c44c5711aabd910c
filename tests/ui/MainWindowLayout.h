#pragma once

// The main window as drawn: every control's name and text at start; its place and size come
// from the table the window is drawn from.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRect>
#include <QString>
#include <optional>
#include <vector>

#include "MainControls.h"
#include "MainWindowGeometry.h"
#include "TForm1.h"

struct ControlLayout {
    const char* name;
    QWidget* (*get)(TForm1&);
    std::optional<QString> text;

    // In the client area, or inside the panel for a panel's controls: the window's own table.
    QRect geometry() const { return ui::mainWindowPlace(name); }
};

#define DUT_CONTROL(n) #n, [](TForm1 & f) -> QWidget* { return testsupport::MainControls(f).n; }

inline const std::vector<ControlLayout>& mainWindowLayout() {
    static const std::vector<ControlLayout> table = {
        {DUT_CONTROL(Panel5), std::nullopt},
        {DUT_CONTROL(Label13), QStringLiteral(" МЕНЮ")},
        {DUT_CONTROL(Button9), QStringLiteral("Дополнительно")},
        {DUT_CONTROL(Button8), QStringLiteral("Горячие клавиши")},
        {DUT_CONTROL(Button4), QStringLiteral("Монитор работы LLS")},
        {DUT_CONTROL(Button7), QStringLiteral("О Программе")},
        {DUT_CONTROL(Button10), QStringLiteral("Тарировка")},
        {DUT_CONTROL(Button12), QStringLiteral("Настройки")},
        {DUT_CONTROL(ReportButton), QStringLiteral("Отчёт")},
        {DUT_CONTROL(Panel1), std::nullopt},
        {DUT_CONTROL(Label4),
         QStringLiteral(
             "1. Выберите СОМ-порт. Соединение с датчиком будет произведено автоматически")},
        {DUT_CONTROL(Image1), std::nullopt},
        {DUT_CONTROL(Label3),
         QStringLiteral(
             "1.1 Подайте на датчик питание.       \r\n1.2 Подключите датчик к компьютеру через "
             "переходник USB-RS485.\r\n1.3 Выберите соответствующий COM порт.\r\n1.4 В состоянии "
             "подключения должно появиться \"Подключен\".       ")},
        {DUT_CONTROL(Label6), QStringLiteral("Состояние подключения:")},
        {DUT_CONTROL(ConnectStatusText), QStringLiteral("Нет соединения с датчиком")},
        {DUT_CONTROL(COMSelect), QString()},
        {DUT_CONTROL(Button1), QStringLiteral("Подключить")},
        {DUT_CONTROL(Panel2), std::nullopt},
        {DUT_CONTROL(Label5), QStringLiteral("2. Установите сетевой адрес")},
        {DUT_CONTROL(Image2), std::nullopt},
        {DUT_CONTROL(Label7),
         QStringLiteral(
             "2.1 Введите адрес LLS. Согласно спецификации протокола LLS адрес должен соcтоять из "
             "цифр и находиться в диапозоне от 0 до 255.\r\n2.2 Нажмите кнопку \"Установить\".")},
        {DUT_CONTROL(LLS_ADRESS), QString()},
        {DUT_CONTROL(Button5), QStringLiteral("Установить (F9, F10)")},
        {DUT_CONTROL(Panel3), std::nullopt},
        {DUT_CONTROL(Label1), QStringLiteral("3. Установите Полный и Пустой бак")},
        {DUT_CONTROL(Label8),
         QStringLiteral(
             "3.1 Промойте датчик уровня топлива для этого залейте его до полного и слейте.\r\n3.2 "
             "Наполните датчик до полного, дождитесь пока \"Текущее значение\" стабилизируется и "
             "нажмите кнопку \"Бак полный\".\r\n3.3 Cлейте из датчика топливо и дайте ему обтечь в "
             "течении 1-2 минут и нажмите \"Бак пустой\".")},
        {DUT_CONTROL(Chart1), std::nullopt},
        {DUT_CONTROL(Image3), std::nullopt},
        {DUT_CONTROL(Label12), QStringLiteral("Текущее значение:")},
        {DUT_CONTROL(LEVELMIN), QString()},
        {DUT_CONTROL(LEVELMAX), QString()},
        {DUT_CONTROL(Edit1), QString()},
        {DUT_CONTROL(Button3), QStringLiteral("Бак пустой (F1)")},
        {DUT_CONTROL(Button2), QStringLiteral("Бак полный (F4)")},
        {DUT_CONTROL(Button6), QStringLiteral("Дополнительно")},
        {DUT_CONTROL(Label9),
         QStringLiteral("3.4 Значения максимума и минимума можно откорректировать в ручную, нажав "
                        "на кнопку ")},
        {DUT_CONTROL(Panel4), std::nullopt},
        {DUT_CONTROL(Label2), QStringLiteral("4. Проверте настройки")},
        {DUT_CONTROL(Label10),
         QStringLiteral("4.1 Выньте датчик из топлива полностью. Уровень должен показать значение "
                        "близкое к 0 (5-10 ед). и помере стекания топлива с датчика - уменьшится "
                        "до нуля.\r\n4.2 Погрузите датчик полностью в топливо. Уровень должен "
                        "приблизиться к 4095, но быть при этом на несколько единиц ниже.\r\n4.3 "
                        "Если данные условия выполняются, то Вы прекрасно настроили датчик.  Если "
                        "нет, то повторите пункт 3 \"Установка полного и пустого бака\". ")},
        {DUT_CONTROL(Image4), std::nullopt},
        {DUT_CONTROL(ProgressBar1), std::nullopt},
        {DUT_CONTROL(Label11), QString()},
    };
    return table;
}

#undef DUT_CONTROL

// The text a control shows, whatever its kind.
inline std::optional<QString> shownText(QWidget* w) {
    if (auto* label = qobject_cast<QLabel*>(w)) return label->text();
    if (auto* button = qobject_cast<QPushButton*>(w)) return button->text();
    if (auto* edit = qobject_cast<QLineEdit*>(w)) return edit->text();
    if (auto* combo = qobject_cast<QComboBox*>(w)) return combo->currentText();
    return std::nullopt;
}

// Window texts are written with Windows line breaks; labels lay them out with "\n".
inline QString withQtBreaks(QString text) {
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}
