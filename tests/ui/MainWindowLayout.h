#pragma once

// The main window as drawn: every control's name, place, size and text at start.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRect>
#include <QString>
#include <optional>
#include <vector>

#include "MainControls.h"
#include "TForm1.h"

struct ControlLayout {
    const char* name;
    QWidget* (*get)(TForm1&);
    QRect geometry;  // in the client area, or inside the panel for a panel's controls
    std::optional<QString> text;
};

#define DUT_CONTROL(n) #n, [](TForm1 & f) -> QWidget* { return testsupport::MainControls(f).n; }

inline const std::vector<ControlLayout>& mainWindowLayout() {
    static const std::vector<ControlLayout> table = {
        {DUT_CONTROL(Panel5), QRect(8, 0, 753, 25), std::nullopt},
        {DUT_CONTROL(Label13), QRect(16, 3, 52, 16), QStringLiteral(" МЕНЮ")},
        {DUT_CONTROL(Button9), QRect(272, 2, 121, 20), QStringLiteral("Дополнительно")},
        {DUT_CONTROL(Button8), QRect(400, 2, 121, 20), QStringLiteral("Горячие клавиши")},
        {DUT_CONTROL(Button4), QRect(536, 2, 121, 20), QStringLiteral("Монитор работы LLS")},
        {DUT_CONTROL(Button7), QRect(664, 2, 83, 20), QStringLiteral("О Программе")},
        {DUT_CONTROL(Panel1), QRect(8, 27, 753, 25), std::nullopt},
        {DUT_CONTROL(Label4), QRect(1, 1, 749, 21),
         QStringLiteral(
             "1. Выберите СОМ-порт. Соединение с датчиком будет произведено автоматически")},
        {DUT_CONTROL(Image1), QRect(8, 54, 92, 92), std::nullopt},
        {DUT_CONTROL(Label3), QRect(125, 56, 585, 57),
         QStringLiteral(
             "1.1 Подайте на датчик питание.       \r\n1.2 Подключите датчик к компьютеру через "
             "переходник USB-RS485.\r\n1.3 Выберите соответствующий COM порт.\r\n1.4 В состоянии "
             "подключения должно появиться \"Подключен\".       ")},
        {DUT_CONTROL(Label6), QRect(592, 57, 129, 17), QStringLiteral("Состояние подключения:")},
        {DUT_CONTROL(ConnectStatusText), QRect(552, 72, 209, 69),
         QStringLiteral("Нет соединения с датчиком")},
        {DUT_CONTROL(COMSelect), QRect(125, 114, 145, 21), QString()},
        {DUT_CONTROL(Button1), QRect(277, 114, 75, 21), QStringLiteral("Подключить")},
        {DUT_CONTROL(Panel2), QRect(8, 144, 753, 25), std::nullopt},
        {DUT_CONTROL(Label5), QRect(1, 1, 749, 21), QStringLiteral("2. Установите сетевой адрес")},
        {DUT_CONTROL(Image2), QRect(8, 172, 92, 92), std::nullopt},
        {DUT_CONTROL(Label7), QRect(125, 176, 585, 49),
         QStringLiteral(
             "2.1 Введите адрес LLS. Согласно спецификации протокола LLS адрес должен соcтоять из "
             "цифр и находиться в диапозоне от 0 до 255.\r\n2.2 Нажмите кнопку \"Установить\".")},
        {DUT_CONTROL(LLS_ADRESS), QRect(125, 228, 113, 19), QString()},
        {DUT_CONTROL(Button5), QRect(245, 228, 113, 19), QStringLiteral("Установить (F9, F10)")},
        {DUT_CONTROL(Panel3), QRect(8, 265, 753, 25), std::nullopt},
        {DUT_CONTROL(Label1), QRect(1, 1, 749, 21),
         QStringLiteral("3. Установите Полный и Пустой бак")},
        {DUT_CONTROL(Label8), QRect(125, 293, 497, 57),
         QStringLiteral(
             "3.1 Промойте датчик уровня топлива для этого залейте его до полного и слейте.\r\n3.2 "
             "Наполните датчик до полного, дождитесь пока \"Текущее значение\" стабилизируется и "
             "нажмите кнопку \"Бак полный\".\r\n3.3 Cлейте из датчика топливо и дайте ему обтечь в "
             "течении 1-2 минут и нажмите \"Бак пустой\".")},
        {DUT_CONTROL(Chart1), QRect(624, 296, 137, 97), std::nullopt},
        {DUT_CONTROL(Image3), QRect(8, 304, 92, 92), std::nullopt},
        {DUT_CONTROL(Label12), QRect(457, 350, 145, 16), QStringLiteral("Текущее значение:")},
        {DUT_CONTROL(LEVELMIN), QRect(144, 352, 129, 18), QString()},
        {DUT_CONTROL(LEVELMAX), QRect(296, 352, 129, 18), QString()},
        {DUT_CONTROL(Edit1), QRect(465, 374, 128, 18), QString()},
        {DUT_CONTROL(Button3), QRect(144, 376, 129, 19), QStringLiteral("Бак пустой (F1)")},
        {DUT_CONTROL(Button2), QRect(296, 376, 129, 19), QStringLiteral("Бак полный (F4)")},
        {DUT_CONTROL(Button6), QRect(594, 396, 91, 20), QStringLiteral("Дополнительно")},
        {DUT_CONTROL(Label9), QRect(125, 398, 585, 33),
         QStringLiteral("3.4 Значения максимума и минимума можно откорректировать в ручную, нажав "
                        "на кнопку ")},
        {DUT_CONTROL(Panel4), QRect(8, 421, 753, 25), std::nullopt},
        {DUT_CONTROL(Label2), QRect(1, 1, 749, 21), QStringLiteral("4. Проверте настройки")},
        {DUT_CONTROL(Label10), QRect(125, 448, 585, 83),
         QStringLiteral("4.1 Выньте датчик из топлива полностью. Уровень должен показать значение "
                        "близкое к 0 (5-10 ед). и помере стекания топлива с датчика - уменьшится "
                        "до нуля.\r\n4.2 Погрузите датчик полностью в топливо. Уровень должен "
                        "приблизиться к 4095, но быть при этом на несколько единиц ниже.\r\n4.3 "
                        "Если данные условия выполняются, то Вы прекрасно настроили датчик.  Если "
                        "нет, то повторите пункт 3 \"Установка полного и пустого бака\". ")},
        {DUT_CONTROL(Image4), QRect(8, 456, 92, 92), std::nullopt},
        {DUT_CONTROL(ProgressBar1), QRect(125, 536, 385, 18), std::nullopt},
        {DUT_CONTROL(Label11), QRect(517, 536, 89, 18), QString()},
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
