<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU" sourcelanguage="en">
<context>
    <name>CommandLine</name>
    <message>
        <source>--trace needs a file name</source>
        <translation>после --trace нужно имя файла</translation>
    </message>
    <message>
        <source>only one --trace file can be given</source>
        <translation>можно указать только один файл --trace</translation>
    </message>
    <message>
        <source>--lang needs ru or en</source>
        <translation>после --lang нужно ru или en</translation>
    </message>
    <message>
        <source>--lang takes ru or en, not &apos;</source>
        <translation>--lang принимает ru или en, а не &apos;</translation>
    </message>
    <message>
        <source>unknown option &apos;</source>
        <translation>неизвестный параметр &apos;</translation>
    </message>
    <message>
        <source>the port name is empty</source>
        <translation>имя порта пусто</translation>
    </message>
    <message>
        <source>only one port can be given</source>
        <translation>можно указать только один порт</translation>
    </message>
    <message>
        <source>Usage: %1 [--trace FILE] [--lang ru|en] [PORT]
       %1 --help | --version

Sets up a capacitive fuel level sensor behind a USB-RS485 adapter.

  PORT        connect to this serial port at once, as if it were picked in the
              port box (for example /dev/ttyUSB0, or COM3 on Windows)
  --trace FILE  write every frame sent to and received from the sensor, with
              its time and what became of it, to FILE (for support)
  --lang ru|en  the language of the windows; without it, the one last chosen
              in the menu band, else English on an English desktop, else Russian
  -h, --help  print this help and exit
  --version   print the version and exit

In the main window, Ctrl+Shift+L opens the LLS monitor and Ctrl+Shift+J the
exchange log.
</source>
        <translation>Запуск: %1 [--trace ФАЙЛ] [--lang ru|en] [ПОРТ]
        %1 --help | --version

Настройка ёмкостного датчика уровня топлива через адаптер USB-RS485.

  ПОРТ          сразу подключиться к этому последовательному порту, как при
                выборе в списке портов (например, /dev/ttyUSB0, в Windows COM3)
  --trace ФАЙЛ  записывать в ФАЙЛ каждый кадр, посланный датчику и принятый
                от него, с его временем и судьбой (для техподдержки)
  --lang ru|en  язык окон; без него тот, что выбран последним в полосе меню,
                иначе английский на английском рабочем столе, иначе русский
  -h, --help    показать эту справку и выйти
  --version     показать версию и выйти

В главном окне Ctrl+Shift+L открывает монитор LLS, а Ctrl+Shift+J журнал
обмена.
</translation>
    </message>
</context>
<context>
    <name>PortOpenAdvice</name>
    <message>
        <source>Add your user to the dialout group (uucp on Arch) and log in again.</source>
        <translation>Добавьте своего пользователя в группу dialout (uucp в Arch) и войдите в систему заново.</translation>
    </message>
    <message>
        <source>Another program holds the port.</source>
        <translation>Порт занят другой программой.</translation>
    </message>
    <message>
        <source>The adapter is not plugged in, or the name is wrong.</source>
        <translation>Адаптер не подключён, или имя порта неверно.</translation>
    </message>
    <message>
        <source>The name is not that of a serial port.</source>
        <translation>Это имя не последовательного порта.</translation>
    </message>
    <message>
        <source>Cannot open </source>
        <translation>Не удаётся открыть </translation>
    </message>
</context>
</TS>
