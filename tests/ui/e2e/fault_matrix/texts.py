"""What the user reads in the program's windows, as the accessibility tree shows it: the
Windows line breaks ("\r\n", lone "\r") come through as "\n"."""

APPLICATION_TITLE = " Brindolex DUT configurator v1.0"
MAIN_CAPTION = "Brindolex DUT configurator v1.3"
LEVEL_DIALOG_CAPTION = "Ручная корректировка Полного и Пустого"
OUTPUT_DIALOG_CAPTION = "Дополнительные параметры"
WIDEN_BUTTON = "Расширить границы уровней на 5 %"

STATUS_AT_START = "Нет соединения с датчиком"
STATUS_PORT_FAILED = "Не удается\nоткрыть порт!\nПереподключите переходник USB-RS485"
STATUS_NO_NUMBER = "ДУТ не имеет\nномера. Свяжитесь с\nпроизводителем"
STATUS_LINK_LOST = "Нет\nсоединения!\nс датчиком"
# The monitor's line about a port it cannot open starts so, the port's name next.
PORT_CANNOT_OPEN = "Не удаётся открыть "


def status_connected(number, version):
    return f"Подключение\nустановлено\nДУТ № {number}\nВесия:{version}"


# Success and failure box of each command.
MESSAGES = {
    "F4": ("Максимальный уровень установлен!", "Сбой установки Полного бака. Попробуйте еще раз."),
    "F1": ("Минимальный уровень установлен!", "Сбой установки Пустого бака! Попробуйте еще раз."),
    "F9": ("Сетевой адрес установлен!", "Сбой установки сетевого адреса. Попробуйте еще раз."),
    "widen": ("Расширенные границы уровней установлены!", "Сбой установок. Попробуйте еще раз!"),
}

CONFIRM_TITLE = "Warning"
# The question before a write that leaves the full level at or below the empty one.
LEVEL_ORDER_QUESTION = "ВНИМАНИЕ!\nПолный уровень "


def widen_confirmation(new_max, new_min):
    return (
        f"ВНИМАНИЕ!\nГраница верхнего уровня будет изменена на {new_max} единиц.\n"
        f"Граница нижнего уровня будет изменена на {new_min} единиц.\nПродолжаем ?"
    )


RESOLUTION_ITEMS = ["12 Бит (0..4095)", "10 Бит (0..1023)"]
RESOLUTION_CODES = [100, 200]
INTERVAL_ITEMS = ["Выключена", "10 сек", "20 сек", "30 сек", "40 сек", "50 сек",
                  "1 мин", "2 мин", "3 мин", "4 мин", "5 мин"]
INTERVAL_CODES = [0, 2, 4, 6, 8, 10, 12, 24, 36, 48, 60]
