<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>CalibrationCommands</name>
    <message>
        <source>Максимальный уровень установлен!</source>
        <translation>Full tank level set!</translation>
    </message>
    <message>
        <source>Сбой установки Полного бака. Попробуйте еще раз.</source>
        <translation>Setting the full tank failed. Please try again.</translation>
    </message>
    <message>
        <source>Минимальный уровень установлен!</source>
        <translation>Empty tank level set!</translation>
    </message>
    <message>
        <source>Сбой установки Пустого бака! Попробуйте еще раз.</source>
        <translation>Setting the empty tank failed! Please try again.</translation>
    </message>
    <message>
        <source>Сетевой адрес установлен!</source>
        <translation>Network address set!</translation>
    </message>
    <message>
        <source>Сбой установки сетевого адреса. Попробуйте еще раз.</source>
        <translation>Setting the network address failed. Please try again.</translation>
    </message>
    <message>
        <source>Не верный сетевой адрес!</source>
        <translation>Invalid network address!</translation>
    </message>
</context>
<context>
    <name>CalibrationTable</name>
    <message>
        <source>Введите полный объём бака в литрах: число больше нуля.</source>
        <translation>Enter the full tank volume in litres: a number above zero.</translation>
    </message>
    <message>
        <source>Введите порцию в литрах: число больше нуля.</source>
        <translation>Enter the portion in litres: a number above zero.</translation>
    </message>
    <message>
        <source>В баке осталось </source>
        <translation>Only </translation>
    </message>
    <message>
        <source> л: столько слить нельзя.</source>
        <translation> l are left in the tank: that much cannot be drained.</translation>
    </message>
    <message>
        <source>Нет такой строки.</source>
        <translation>No such row.</translation>
    </message>
    <message>
        <source>Введите литры: число не меньше нуля.</source>
        <translation>Enter the litres: a number not below zero.</translation>
    </message>
    <message>
        <source>Литры строки </source>
        <translation>The litres of row </translation>
    </message>
    <message>
        <source> стали бы меньше нуля.</source>
        <translation> would fall below zero.</translation>
    </message>
    <message>
        <source>строки </source>
        <translation>row </translation>
    </message>
    <message>
        <source>объём не больше, чем у </source>
        <translation>volume not above that of </translation>
    </message>
    <message>
        <source>объём не меньше, чем у </source>
        <translation>volume not below that of </translation>
    </message>
    <message>
        <source>тот же уровень, что у </source>
        <translation>same level as </translation>
    </message>
    <message>
        <source>, при другом объёме</source>
        <translation>, at another volume</translation>
    </message>
    <message>
        <source>уровень ниже, чем у </source>
        <translation>level below that of </translation>
    </message>
    <message>
        <source>, хотя топливо доливали</source>
        <translation>, although fuel was added</translation>
    </message>
    <message>
        <source>уровень выше, чем у </source>
        <translation>level above that of </translation>
    </message>
    <message>
        <source>, хотя топливо сливали</source>
        <translation>, although fuel was drained</translation>
    </message>
    <message>
        <source>Таблица заполнена: в ней не больше </source>
        <translation>The table is full: it holds at most </translation>
    </message>
    <message>
        <source> точек.</source>
        <translation> points.</translation>
    </message>
    <message>
        <source>Полный объём бака больше предела в </source>
        <translation>The full volume of the tank is above the limit of </translation>
    </message>
    <message>
        <source>Порция больше предела в </source>
        <translation>The portion is above the limit of </translation>
    </message>
    <message>
        <source>В баке стало бы больше </source>
        <translation>The tank would hold more than </translation>
    </message>
    <message>
        <source>Введите литры: число от 0 до </source>
        <translation>Enter the litres: a number from 0 to </translation>
    </message>
    <message>
        <source> стали бы больше </source>
        <translation> would become more than </translation>
    </message>
    <message>
        <source> л.</source>
        <translation> l.</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>--trace needs a file name</source>
        <translation>--trace needs a file name</translation>
    </message>
    <message>
        <source>only one --trace file can be given</source>
        <translation>only one --trace file can be given</translation>
    </message>
    <message>
        <source>--lang needs ru or en</source>
        <translation>--lang needs ru or en</translation>
    </message>
    <message>
        <source>--lang takes ru or en, not &apos;</source>
        <translation>--lang takes ru or en, not &apos;</translation>
    </message>
    <message>
        <source>unknown option &apos;</source>
        <translation>unknown option &apos;</translation>
    </message>
    <message>
        <source>the port name is empty</source>
        <translation>the port name is empty</translation>
    </message>
    <message>
        <source>only one port can be given</source>
        <translation>only one port can be given</translation>
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
        <translation>Usage: %1 [--trace FILE] [--lang ru|en] [PORT]
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
</translation>
    </message>
</context>
<context>
    <name>ConnectionController</name>
    <message>
        <source>Не удается<byte value="xd"/>
открыть порт!<byte value="xd"/>
Переподключите переходник USB-RS485</source>
        <translation>Cannot
open the port!
Reconnect the USB-RS485 adapter</translation>
    </message>
    <message>
        <source>ДУТ не имеет<byte value="xd"/>
номера. Свяжитесь с<byte value="xd"/>
производителем</source>
        <translation>The sensor has
no number. Contact
the manufacturer</translation>
    </message>
    <message>
        <source>Подключение<byte value="xd"/>
установлено<byte value="xd"/>
ДУТ № </source>
        <translation>Connection
established
Sensor No. </translation>
    </message>
    <message>
        <source><byte value="xd"/>
Весия:</source>
        <translation>
Version:</translation>
    </message>
    <message>
        <source>Нет<byte value="xd"/>
соединения!<byte value="xd"/>
с датчиком</source>
        <translation>No
connection!
to the sensor</translation>
    </message>
    <message>
        <source>Порт открыт: </source>
        <translation>Port opened: </translation>
    </message>
    <message>
        <source>Порт закрыт: </source>
        <translation>Port closed: </translation>
    </message>
    <message>
        <source>Нет связи с датчиком, порт закрыт: </source>
        <translation>No link to the sensor, port closed: </translation>
    </message>
</context>
<context>
    <name>Files</name>
    <message>
        <source>это папка, а не файл</source>
        <translation>it is a folder, not a file</translation>
    </message>
    <message>
        <source>это канал (FIFO), а не файл</source>
        <translation>it is a pipe (FIFO), not a file</translation>
    </message>
    <message>
        <source>это устройство, а не файл</source>
        <translation>it is a device, not a file</translation>
    </message>
    <message>
        <source>это не обычный файл</source>
        <translation>it is not a regular file</translation>
    </message>
    <message>
        <source>файл больше 8 МБ</source>
        <translation>the file is larger than 8 MB</translation>
    </message>
    <message>
        <source>файл не открывается</source>
        <translation>the file does not open</translation>
    </message>
    <message>
        <source>чтение не удалось</source>
        <translation>reading failed</translation>
    </message>
    <message>
        <source>новый файл не создаётся</source>
        <translation>the new file cannot be created</translation>
    </message>
    <message>
        <source>запись не удалась</source>
        <translation>writing failed</translation>
    </message>
    <message>
        <source>запись на диск не удалась</source>
        <translation>syncing to disk failed</translation>
    </message>
    <message>
        <source>закрытие файла не удалось</source>
        <translation>closing the file failed</translation>
    </message>
    <message>
        <source>прежний файл не заменяется</source>
        <translation>the old file cannot be replaced</translation>
    </message>
    <message>
        <source>папка не записывается на диск</source>
        <translation>syncing the folder to disk failed</translation>
    </message>
</context>
<context>
    <name>FlatJson</name>
    <message>
        <source>ожидается объект { … }</source>
        <translation>an object { … } expected</translation>
    </message>
    <message>
        <source>ожидается имя в кавычках</source>
        <translation>a name in quotes expected</translation>
    </message>
    <message>
        <source>ожидается «:»</source>
        <translation>&quot;:&quot; expected</translation>
    </message>
    <message>
        <source>неверное значение</source>
        <translation>invalid value</translation>
    </message>
    <message>
        <source>имя «</source>
        <translation>the name &quot;</translation>
    </message>
    <message>
        <source>» повторяется</source>
        <translation>&quot; is repeated</translation>
    </message>
    <message>
        <source>ожидается «,» или «}»</source>
        <translation>&quot;,&quot; or &quot;}&quot; expected</translation>
    </message>
    <message>
        <source>лишний текст после объекта</source>
        <translation>extra text after the object</translation>
    </message>
    <message>
        <source>неверный JSON (строка </source>
        <translation>invalid JSON (line </translation>
    </message>
</context>
<context>
    <name>GlobalHotKeys</name>
    <message>
        <source>Горячие клавиши %1 работают только в окне программы: %2.</source>
        <translation>The hot keys %1 work only in the program window: %2.</translation>
    </message>
    <message>
        <source>портал рабочего стола не назначил ни одной клавиши</source>
        <translation>the desktop portal bound no key</translation>
    </message>
    <message>
        <source>портал рабочего стола назначил не все клавиши</source>
        <translation>the desktop portal did not bind all keys</translation>
    </message>
    <message>
        <source>нет сеансовой шины D-Bus</source>
        <translation>there is no D-Bus session bus</translation>
    </message>
    <message>
        <source>программа не может принимать сигналы портала рабочего стола</source>
        <translation>the program cannot receive the desktop portal&apos;s signals</translation>
    </message>
    <message>
        <source>портал рабочего стола не открыл сеанс (ответ %1)</source>
        <translation>the desktop portal did not open a session (answer %1)</translation>
    </message>
    <message>
        <source>портал рабочего стола не открыл сеанс</source>
        <translation>the desktop portal did not open a session</translation>
    </message>
    <message>
        <source>назначение клавиш отклонено в окне портала рабочего стола</source>
        <translation>binding the keys was refused in the desktop portal&apos;s window</translation>
    </message>
    <message>
        <source>портал рабочего стола отказал в назначении клавиш</source>
        <translation>the desktop portal refused to bind the keys</translation>
    </message>
    <message>
        <source>портал рабочего стола закрыл сеанс</source>
        <translation>the desktop portal closed the session</translation>
    </message>
    <message>
        <source>служба портала рабочего стола завершилась</source>
        <translation>the desktop portal service ended</translation>
    </message>
    <message>
        <source>служба портала рабочего стола (xdg-desktop-portal) не найдена</source>
        <translation>the desktop portal service (xdg-desktop-portal) was not found</translation>
    </message>
    <message>
        <source>портал рабочего стола не умеет назначать глобальные клавиши (нет интерфейса GlobalShortcuts)</source>
        <translation>the desktop portal cannot bind global keys (no GlobalShortcuts interface)</translation>
    </message>
    <message>
        <source>портал рабочего стола не отвечает</source>
        <translation>the desktop portal does not answer</translation>
    </message>
    <message>
        <source>портал рабочего стола отказал в доступе</source>
        <translation>the desktop portal denied access</translation>
    </message>
    <message>
        <source>ошибка портала рабочего стола %1</source>
        <translation>desktop portal error %1</translation>
    </message>
</context>
<context>
    <name>HotKeys</name>
    <message>
        <source>Бак пустой (F1)</source>
        <translation>Tank empty (F1)</translation>
    </message>
    <message>
        <source>Бак полный (F4)</source>
        <translation>Tank full (F4)</translation>
    </message>
    <message>
        <source>Установить адрес 1</source>
        <translation>Set address 1</translation>
    </message>
    <message>
        <source>Установить адрес 2</source>
        <translation>Set address 2</translation>
    </message>
</context>
<context>
    <name>InstallationReport</name>
    <message>
        <source>12 бит (0…4095)</source>
        <translation>12 bit (0…4095)</translation>
    </message>
    <message>
        <source>10 бит (0…1023)</source>
        <translation>10 bit (0…1023)</translation>
    </message>
    <message>
        <source>неизвестный код </source>
        <translation>unknown code </translation>
    </message>
    <message>
        <source>выключена</source>
        <translation>off</translation>
    </message>
    <message>
        <source> сек</source>
        <translation> s</translation>
    </message>
    <message>
        <source>не указано</source>
        <translation>not given</translation>
    </message>
    <message>
        <source>нет ответа датчика</source>
        <translation>no answer from the sensor</translation>
    </message>
    <message>
        <source>ответ датчика искажён, значение не прочитано</source>
        <translation>the sensor&apos;s answer was garbled, the value was not read</translation>
    </message>
    <message>
        <source>ответы датчика на другие запросы, значение не прочитано</source>
        <translation>the sensor answered other requests, the value was not read</translation>
    </message>
    <message>
        <source>нет связи с датчиком: порт не открыт или отказал</source>
        <translation>no link to the sensor: the port is not open or failed</translation>
    </message>
    <message>
        <source>Установщик</source>
        <translation>Installer</translation>
    </message>
    <message>
        <source>Организация</source>
        <translation>Company</translation>
    </message>
    <message>
        <source>Госномер ТС</source>
        <translation>Vehicle plate</translation>
    </message>
    <message>
        <source>Модель ТС</source>
        <translation>Vehicle model</translation>
    </message>
    <message>
        <source>Бак</source>
        <translation>Tank</translation>
    </message>
    <message>
        <source>Номер датчика</source>
        <translation>Sensor number</translation>
    </message>
    <message>
        <source>Версия</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>Сетевой адрес</source>
        <translation>Network address</translation>
    </message>
    <message>
        <source>Полный бак</source>
        <translation>Full tank</translation>
    </message>
    <message>
        <source>Пустой бак</source>
        <translation>Empty tank</translation>
    </message>
    <message>
        <source>Разрешение выхода</source>
        <translation>Output resolution</translation>
    </message>
    <message>
        <source>Интервал выдачи</source>
        <translation>Output interval</translation>
    </message>
</context>
<context>
    <name>LevelCorrectionDialog</name>
    <message>
        <source>Максимальный уровень установлен!</source>
        <translation>Full tank level set!</translation>
    </message>
    <message>
        <source>Сбой устаноки максимального уровня Попробуй еще раз.</source>
        <translation>Setting the full tank level failed. Please try again.</translation>
    </message>
    <message>
        <source>Минимальный уровень установлен!</source>
        <translation>Empty tank level set!</translation>
    </message>
    <message>
        <source>Сбой устаноки минимального уровня! Попробуй еще раз.</source>
        <translation>Setting the empty tank level failed! Please try again.</translation>
    </message>
    <message>
        <source>Расширенные границы уровней установлены!</source>
        <translation>The widened level limits are set!</translation>
    </message>
    <message>
        <source>Сбой установок. Попробуйте еще раз!</source>
        <translation>Setting failed. Please try again!</translation>
    </message>
    <message>
        <source>ВНИМАНИЕ!<byte value="xd"/>Граница верхнего уровня будет изменена на </source>
        <translation>ATTENTION!<byte value="xd"/>The upper level limit will be changed to </translation>
    </message>
    <message>
        <source>Граница нижнего уровня будет изменена на </source>
        <translation>The lower level limit will be changed to </translation>
    </message>
    <message>
        <source> единиц.</source>
        <translation> units.</translation>
    </message>
    <message>
        <source>Продолжаем ?</source>
        <translation>Continue?</translation>
    </message>
</context>
<context>
    <name>LevelOrder</name>
    <message>
        <source>ВНИМАНИЕ!<byte value="xd"/>Полный уровень </source>
        <translation>ATTENTION!<byte value="xd"/>The full level </translation>
    </message>
    <message>
        <source> не выше пустого уровня </source>
        <translation> is not above the empty level </translation>
    </message>
    <message>
        <source>.<byte value="xd"/>С такими уровнями у датчика не будет рабочего выхода.<byte value="xd"/>Записать ?</source>
        <translation>.<byte value="xd"/>With these levels the sensor has no usable output.<byte value="xd"/>Write it?</translation>
    </message>
</context>
<context>
    <name>LlsMonitor</name>
    <message>
        <source>Адрес LLS</source>
        <translation>LLS address</translation>
    </message>
    <message>
        <source>Запрос уровня топлива</source>
        <translation>Fuel level request</translation>
    </message>
    <message>
        <source>Ответ на запрос</source>
        <translation>Answer</translation>
    </message>
    <message>
        <source>Число одинаковых подряд ответов</source>
        <translation>Equal answers in a row</translation>
    </message>
    <message>
        <source>Уровень стабилен</source>
        <translation>Level stable</translation>
    </message>
</context>
<context>
    <name>MessageBox</name>
    <message>
        <source>Да</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>Нет</source>
        <translation>No</translation>
    </message>
</context>
<context>
    <name>PortOpenAdvice</name>
    <message>
        <source>Add your user to the dialout group (uucp on Arch) and log in again.</source>
        <translation>Add your user to the dialout group (uucp on Arch) and log in again.</translation>
    </message>
    <message>
        <source>Another program holds the port.</source>
        <translation>Another program holds the port.</translation>
    </message>
    <message>
        <source>The adapter is not plugged in, or the name is wrong.</source>
        <translation>The adapter is not plugged in, or the name is wrong.</translation>
    </message>
    <message>
        <source>The name is not that of a serial port.</source>
        <translation>The name is not that of a serial port.</translation>
    </message>
    <message>
        <source>Cannot open </source>
        <translation>Cannot open </translation>
    </message>
</context>
<context>
    <name>ReportPage</name>
    <message>
        <source>Уровень</source>
        <translation>Level</translation>
    </message>
    <message>
        <source>Литры</source>
        <translation>Litres</translation>
    </message>
    <message>
        <source>Код датчика</source>
        <translation>Sensor code</translation>
    </message>
    <message>
        <source>Замечание</source>
        <translation>Remark</translation>
    </message>
    <message>
        <source>Установку выполнил:</source>
        <translation>Installed by:</translation>
    </message>
    <message>
        <source>Работу принял:</source>
        <translation>Accepted by:</translation>
    </message>
    <message>
        <source>подпись</source>
        <translation>signature</translation>
    </message>
    <message>
        <source>фамилия, дата</source>
        <translation>name, date</translation>
    </message>
    <message>
        <source>Отчёт об установке датчика уровня топлива</source>
        <translation>Fuel level sensor installation report</translation>
    </message>
    <message>
        <source>Дата и время</source>
        <translation>Date and time</translation>
    </message>
    <message>
        <source>Установка</source>
        <translation>Installation</translation>
    </message>
    <message>
        <source>Датчик (прочитано при составлении отчёта)</source>
        <translation>Sensor (read when the report was made)</translation>
    </message>
    <message>
        <source>Тарировка бака</source>
        <translation>Tank calibration</translation>
    </message>
    <message>
        <source>Тарировка бака в этом сеансе не проводилась.</source>
        <translation>No tank was calibrated in this session.</translation>
    </message>
    <message>
        <source>бак «%1»</source>
        <translation>tank &quot;%1&quot;</translation>
    </message>
    <message>
        <source>ТС «%1»</source>
        <translation>vehicle &quot;%1&quot;</translation>
    </message>
    <message>
        <source>ДУТ № %1</source>
        <translation>sensor No. %1</translation>
    </message>
    <message>
        <source>%1 точек, %2%3</source>
        <translation>%1 points, %2%3</translation>
    </message>
    <message>
        <source>заливка</source>
        <translation>filling</translation>
    </message>
    <message>
        <source>слив</source>
        <translation>draining</translation>
    </message>
    <message>
        <source>стр. %1 из %2</source>
        <translation>page %1 of %2</translation>
    </message>
    <message>
        <source>Таблица тарировки этого сеанса снята с датчика № %1, а не с датчика № %2 этого отчёта, и в отчёт не включена.</source>
        <translation>This session&apos;s calibration table was taken from sensor No. %1, not from this report&apos;s sensor No. %2, and is left out of the report.</translation>
    </message>
    <message>
        <source>Таблица тарировки этого сеанса снята с датчика № %1; номер датчика этого отчёта не прочитан, поэтому таблица в отчёт не включена.</source>
        <translation>This session&apos;s calibration table was taken from sensor No. %1; this report&apos;s sensor number could not be read, so the table is left out of the report.</translation>
    </message>
</context>
<context>
    <name>SensorParams</name>
    <message>
        <source>Выключена</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>10 сек</source>
        <translation>10 s</translation>
    </message>
    <message>
        <source>20 сек</source>
        <translation>20 s</translation>
    </message>
    <message>
        <source>30 сек</source>
        <translation>30 s</translation>
    </message>
    <message>
        <source>40 сек</source>
        <translation>40 s</translation>
    </message>
    <message>
        <source>50 сек</source>
        <translation>50 s</translation>
    </message>
    <message>
        <source>1 мин</source>
        <translation>1 min</translation>
    </message>
    <message>
        <source>2 мин</source>
        <translation>2 min</translation>
    </message>
    <message>
        <source>3 мин</source>
        <translation>3 min</translation>
    </message>
    <message>
        <source>4 мин</source>
        <translation>4 min</translation>
    </message>
    <message>
        <source>5 мин</source>
        <translation>5 min</translation>
    </message>
</context>
<context>
    <name>SettingsFile</name>
    <message>
        <source>от 0 до 255</source>
        <translation>0 to 255</translation>
    </message>
    <message>
        <source>12 или 10</source>
        <translation>12 or 10</translation>
    </message>
    <message>
        <source>0 (выключена), 10, 20, 30, 40, 50, 60, 120, 180, 240 или 300</source>
        <translation>0 (off), 10, 20, 30, 40, 50, 60, 120, 180, 240 or 300</translation>
    </message>
    <message>
        <source>от 0 до 4095</source>
        <translation>0 to 4095</translation>
    </message>
    <message>
        <source>от 1 до 2147483647</source>
        <translation>1 to 2147483647</translation>
    </message>
    <message>
        <source>от 0 до 2147483647</source>
        <translation>0 to 2147483647</translation>
    </message>
    <message>
        <source>Номер ДУТ</source>
        <translation>Sensor number</translation>
    </message>
    <message>
        <source>Версия</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>Сетевой адрес</source>
        <translation>Network address</translation>
    </message>
    <message>
        <source>Полный бак</source>
        <translation>Full tank</translation>
    </message>
    <message>
        <source>Пустой бак</source>
        <translation>Empty tank</translation>
    </message>
    <message>
        <source>Разрядность выхода LLS</source>
        <translation>LLS output resolution</translation>
    </message>
    <message>
        <source>Периодическая выдача данных</source>
        <translation>Periodic data output</translation>
    </message>
    <message>
        <source>Текущее значение</source>
        <translation>Current value</translation>
    </message>
    <message>
        <source>Уровень выхода</source>
        <translation>Output level</translation>
    </message>
    <message>
        <source> бит</source>
        <translation> bit</translation>
    </message>
    <message>
        <source>выключена</source>
        <translation>off</translation>
    </message>
    <message>
        <source>файл слишком велик для файла настроек</source>
        <translation>the file is too large for a settings file</translation>
    </message>
    <message>
        <source>: ожидается текст с датой</source>
        <translation>: a text with a date expected</translation>
    </message>
    <message>
        <source>: дата не в виде ГГГГ-ММ-ДД</source>
        <translation>: the date is not in the form YYYY-MM-DD</translation>
    </message>
    <message>
        <source>неизвестный ключ </source>
        <translation>unknown key </translation>
    </message>
    <message>
        <source>: ожидается целое число</source>
        <translation>: a whole number expected</translation>
    </message>
    <message>
        <source>: значение вне допустимого (</source>
        <translation>: value out of range (</translation>
    </message>
    <message>
        <source>нет номера ДУТ </source>
        <translation>no sensor number </translation>
    </message>
    <message>
        <source>нет даты </source>
        <translation>no date </translation>
    </message>
    <message>
        <source>в файле нет ни одной настройки для записи</source>
        <translation>the file holds no setting to write</translation>
    </message>
</context>
<context>
    <name>SettingsFileActions</name>
    <message>
        <source>Настройки ДУТ (*.json);;Все файлы (*)</source>
        <translation>Sensor settings (*.json);;All files (*)</translation>
    </message>
    <message>
        <source>Сохранить настройки</source>
        <translation>Save settings</translation>
    </message>
    <message>
        <source>Применить настройки</source>
        <translation>Apply settings</translation>
    </message>
    <message>
        <source> Файл не записан.</source>
        <translation> The file was not written.</translation>
    </message>
    <message>
        <source>ДУТ-%1-%2.json</source>
        <translation>sensor-%1-%2.json</translation>
    </message>
    <message>
        <source>Настройки не сохранены в файл %1: %2</source>
        <translation>The settings were not saved to the file %1: %2</translation>
    </message>
    <message>
        <source>Настройки ДУТ № %1 сохранены в файл %2.</source>
        <translation>The settings of sensor No. %1 were saved to the file %2.</translation>
    </message>
    <message>
        <source>
Не сохранено (такого значения программа не записывает): </source>
        <translation>
Not saved (the program does not write such a value): </translation>
    </message>
    <message>
        <source>Файл настроек %1 не читается: %2</source>
        <translation>The settings file %1 cannot be read: %2</translation>
    </message>
    <message>
        <source>Файл настроек %1 не принят: %2. В датчик ничего не записано.</source>
        <translation>The settings file %1 was not accepted: %2. Nothing was written to the sensor.</translation>
    </message>
    <message>
        <source>Датчик не отвечает: настройки из файла %1 не записаны.</source>
        <translation>The sensor does not answer: the settings from the file %1 were not written.</translation>
    </message>
</context>
<context>
    <name>SettingsTransfer</name>
    <message>
        <source>Датчик не отвечает: настройки не прочитаны.</source>
        <translation>The sensor does not answer: the settings were not read.</translation>
    </message>
    <message>
        <source>ДУТ не имеет номера: его настройки не сохраняются.</source>
        <translation>The sensor has no number: its settings are not saved.</translation>
    </message>
    <message>
        <source>Датчик не ответил на чтение: </source>
        <translation>The sensor did not answer the read of: </translation>
    </message>
    <message>
        <source>Ни одно значение датчика не может быть сохранено.</source>
        <translation>No value of the sensor can be saved.</translation>
    </message>
    <message>
        <source>Ничего не записано: не отмечено ни одной настройки.</source>
        <translation>Nothing written: no setting was ticked.</translation>
    </message>
    <message>
        <source>Запись настроек в датчик:</source>
        <translation>Writing the settings to the sensor:</translation>
    </message>
    <message>
        <source>установлено</source>
        <translation>set</translation>
    </message>
    <message>
        <source>НЕ записано: датчик перестал отвечать</source>
        <translation>NOT written: the sensor stopped answering</translation>
    </message>
    <message>
        <source>НЕ установлено (датчик сообщил </source>
        <translation>NOT set (the sensor reported </translation>
    </message>
    <message>
        <source>НЕ установлено (датчик не ответил)</source>
        <translation>NOT set (the sensor did not answer)</translation>
    </message>
</context>
<context>
    <name>TForm1</name>
    <message>
        <source> МЕНЮ</source>
        <translation> MENU</translation>
    </message>
    <message>
        <source>Дополнительно</source>
        <translation>Advanced</translation>
    </message>
    <message>
        <source>Горячие клавиши</source>
        <translation>Hot keys</translation>
    </message>
    <message>
        <source>Монитор работы LLS</source>
        <translation>LLS monitor</translation>
    </message>
    <message>
        <source>О Программе</source>
        <translation>About</translation>
    </message>
    <message>
        <source>Тарировка</source>
        <translation>Tank calibration</translation>
    </message>
    <message>
        <source>1. Выберите СОМ-порт. Соединение с датчиком будет произведено автоматически</source>
        <translation>1. Choose the COM port. The sensor will be connected automatically</translation>
    </message>
    <message>
        <source>1.1 Подайте на датчик питание.       <byte value="xd"/>
1.2 Подключите датчик к компьютеру через переходник USB-RS485.<byte value="xd"/>
1.3 Выберите соответствующий COM порт.<byte value="xd"/>
1.4 В состоянии подключения должно появиться &quot;Подключен&quot;.       </source>
        <translation>1.1 Power the sensor.
1.2 Connect the sensor to the computer via a USB-RS485 adapter.
1.3 Choose the matching COM port.
1.4 The connection state must show &quot;Connected&quot;.</translation>
    </message>
    <message>
        <source>Состояние подключения:</source>
        <translation>Connection state:</translation>
    </message>
    <message>
        <source>Подключить</source>
        <translation>Connect</translation>
    </message>
    <message>
        <source>2. Установите сетевой адрес</source>
        <translation>2. Set the network address</translation>
    </message>
    <message>
        <source>2.1 Введите адрес LLS. Согласно спецификации протокола LLS адрес должен соcтоять из цифр и находиться в диапозоне от 0 до 255.<byte value="xd"/>
2.2 Нажмите кнопку &quot;Установить&quot;.</source>
        <translation>2.1 Enter the LLS address. By the LLS protocol the address consists of digits and lies in the range 0 to 255.
2.2 Press the &quot;Set&quot; button.</translation>
    </message>
    <message>
        <source>Установить (F9, F10)</source>
        <translation>Set (F9, F10)</translation>
    </message>
    <message>
        <source>3. Установите Полный и Пустой бак</source>
        <translation>3. Set the full and the empty tank</translation>
    </message>
    <message>
        <source>3.1 Промойте датчик уровня топлива для этого залейте его до полного и слейте.<byte value="xd"/>
3.2 Наполните датчик до полного, дождитесь пока &quot;Текущее значение&quot; стабилизируется и нажмите кнопку &quot;Бак полный&quot;.<byte value="xd"/>
3.3 Cлейте из датчика топливо и дайте ему обтечь в течении 1-2 минут и нажмите &quot;Бак пустой&quot;.</source>
        <translation>3.1 Rinse the fuel level sensor: fill it up to full and drain it.
3.2 Fill the sensor up to full, wait until &quot;Current value&quot; settles and press &quot;Tank full&quot;.
3.3 Drain the sensor, let it drip for 1-2 minutes and press &quot;Tank empty&quot;.</translation>
    </message>
    <message>
        <source>Текущее значение:</source>
        <translation>Current value:</translation>
    </message>
    <message>
        <source>Бак пустой (F1)</source>
        <translation>Tank empty (F1)</translation>
    </message>
    <message>
        <source>Бак полный (F4)</source>
        <translation>Tank full (F4)</translation>
    </message>
    <message>
        <source>3.4 Значения максимума и минимума можно откорректировать в ручную, нажав на кнопку </source>
        <translation>3.4 The maximum and the minimum can be corrected by hand with the button </translation>
    </message>
    <message>
        <source>4. Проверте настройки</source>
        <translation>4. Check the settings</translation>
    </message>
    <message>
        <source>4.1 Выньте датчик из топлива полностью. Уровень должен показать значение близкое к 0 (5-10 ед). и помере стекания топлива с датчика - уменьшится до нуля.<byte value="xd"/>
4.2 Погрузите датчик полностью в топливо. Уровень должен приблизиться к 4095, но быть при этом на несколько единиц ниже.<byte value="xd"/>
4.3 Если данные условия выполняются, то Вы прекрасно настроили датчик.  Если нет, то повторите пункт 3 &quot;Установка полного и пустого бака&quot;. </source>
        <translation>4.1 Take the sensor fully out of the fuel. The level should show a value close to 0 (5-10 units) and fall to zero as the fuel drips off the sensor.
4.2 Immerse the sensor fully in fuel. The level should come close to 4095 but stay a few units below it.
4.3 If both hold, the sensor is set up well. If not, repeat step 3 &quot;Set the full and the empty tank&quot;.</translation>
    </message>
    <message>
        <source>Нет соединения с датчиком</source>
        <translation>No connection to the sensor</translation>
    </message>
    <message>
        <source>Язык интерфейса: русский / English</source>
        <translation>Interface language: English / русский</translation>
    </message>
    <message>
        <source>Настройки</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>Сохранить настройки…	Ctrl+Shift+S</source>
        <translation>Save settings…	Ctrl+Shift+S</translation>
    </message>
    <message>
        <source>Применить настройки…	Ctrl+Shift+O</source>
        <translation>Apply settings…	Ctrl+Shift+O</translation>
    </message>
    <message>
        <source>Отчёт</source>
        <translation>Report</translation>
    </message>
</context>
<context>
    <name>TForm2</name>
    <message>
        <source>Ручная корректировка Полного и Пустого</source>
        <translation>Manual correction of Full and Empty</translation>
    </message>
    <message>
        <source><byte value="xd"/>
1. В этом окне можно в ручную ввести значения полного и пустого бака.</source>
        <translation>
1. Here the full and empty tank values can be entered by hand.</translation>
    </message>
    <message>
        <source>Полный бак:</source>
        <translation>Full tank:</translation>
    </message>
    <message>
        <source>Установить</source>
        <translation>Set</translation>
    </message>
    <message>
        <source>Пустой бак:</source>
        <translation>Empty tank:</translation>
    </message>
    <message>
        <source>Установть</source>
        <translation>Set</translation>
    </message>
    <message>
        <source>Расширить границы уровней на 5 %</source>
        <translation>Widen the level limits by 5 %</translation>
    </message>
</context>
<context>
    <name>TForm3</name>
    <message>
        <source>О Программе Brindolex DUT configurator v1.2</source>
        <translation>About Brindolex DUT configurator v1.2</translation>
    </message>
    <message>
        <source>Программа разработана специалистами &quot;Бриндолекс&quot; для Вашего удобства и комфорта при программированиии наших датчиков.<byte value="xd"/>
Программа является бесплатной. Распространение данной программы не запрещается, а даже приветствуется.</source>
        <translation>The program was made by the &quot;Brindolex&quot; team for your convenience and comfort when programming our sensors.
The program is free. Passing it on is not forbidden but even welcome.</translation>
    </message>
    <message>
        <source>С уважением, команда разработчиков &quot;Бриндолекс&quot;</source>
        <translation>Best regards, the &quot;Brindolex&quot; development team</translation>
    </message>
    <message>
        <source>Наши контакты (на всякий случай):</source>
        <translation>Our contacts (just in case):</translation>
    </message>
    <message>
        <source>Адрес: 000000, г. Примерск, ул. Образцовая, д. 1</source>
        <translation>Address: 1 Obraztsovaya St., Primersk, 000000</translation>
    </message>
    <message>
        <source>Тел.: +7 (000) 000-00-00</source>
        <translation>Phone: +7 (000) 000-00-00</translation>
    </message>
    <message>
        <source>Сайт: www.brindolex.example</source>
        <translation>Web: www.brindolex.example</translation>
    </message>
</context>
<context>
    <name>TForm4</name>
    <message>
        <source>Адаптер %1 отключён: монитор снова слушает, как только он вернётся</source>
        <translation>The adapter %1 is unplugged: the monitor listens again as soon as it is back</translation>
    </message>
    <message>
        <source>Монитор работы LLS</source>
        <translation>LLS monitor</translation>
    </message>
    <message>
        <source>Монитор работы LLS - предназначен для анализа пакетов LLS проходящих между терминалом и ДУТами<byte value="xd"/>
С помощью монитора работы LLS можно:<byte value="xd"/>
   1. легко диагностировать неполадки;<byte value="xd"/>
   2. ускорить и повысить качество тарировки бака.<byte value="xd"/>
 </source>
        <translation>The LLS monitor analyses the LLS packets between the terminal and the sensors.
With the LLS monitor you can:
   1. find faults easily;
   2. calibrate a tank faster and better.
 </translation>
    </message>
    <message>
        <source>Как это работает?<byte value="xd"/>
   1. В таблице, в реальном времени, происходит отображение запросов терминала  к ДУМам и  их ответов.<byte value="xd"/>
   2. Поля таблицы:<byte value="xd"/>
          Адрес LLS - отображает адреса которые опрашивает терминал.<byte value="xd"/>
          Запрос уровня топлива - зеленым отмечается колонка с адресом, по которому терминал производит опрос.<byte value="xd"/>
          Ответ на запрос - текущий уровень показаний ДУТа. Красная ячейка - нет ответа ДУТа.<byte value="xd"/>
          Число одинаковых подряд ответов - здесь ведется подсчет ответов с одинаковым (не отличающимся от предыдущего) уровнем.<byte value="xd"/>
          Уровень стабилен - отмечается зеленым если прошло 5 и более одинаковых ответов, т.е. уровень топлива стабилизировался.<byte value="xd"/>
   </source>
        <translation>How does it work?
   1. The table shows the terminal&apos;s requests to the sensors and their answers as they happen.
   2. The rows of the table:
          LLS address - the addresses the terminal polls.
          Level request - green marks the column of the address the terminal polls.
          Answer - the sensor&apos;s current level. A red cell - the sensor did not answer.
          Equal answers in a row - counts the answers with the same level as the one before.
          Level stable - green after 5 or more equal answers: the fuel level has settled.
   </translation>
    </message>
    <message>
        <source>ТАРИРОВКА   <byte value="xd"/>
1. Ждем пока в таблице позеленеет &quot;Уровень стабилен&quot; для нашего ДУТа.<byte value="xd"/>
2. Заливаем в бак порцию топлива .<byte value="xd"/>
3. Повторяем пункты №1 и №2 до заполнения бака до верхнего уровня.<byte value="xd"/>
   <byte value="xd"/>
Сигнализатор &quot;Уровень стабилен&quot; - гарантирует что терминал опросил ДУТ и получил стабильные данные уровня топлива для передачи их на сервер (для дальнейшей обработки и составлении таблицы тарировки).<byte value="xd"/>
Теперь Вы точно будете знать когда стабилизировался уровень топлива, и можно заливать следующую порцию.<byte value="xd"/>
Мы считаем, что данная функция значительно сэкономит Ваше время при тарировке бака.<byte value="xd"/>
   <byte value="xd"/>
Кнопка &quot;Очистить&quot; сбрасывает накопленную статистику и очищает таблицу.</source>
        <translation>CALIBRATION
1. Wait until &quot;Level stable&quot; turns green for our sensor in the table.
2. Pour a portion of fuel into the tank.
3. Repeat steps 1 and 2 until the tank is full.
 
The &quot;Level stable&quot; signal means the terminal has polled the sensor and received a stable fuel level to pass on to the server (to be processed into the calibration table).
Now you know exactly when the fuel level has settled and the next portion can be poured.
We believe this saves you much time when calibrating a tank.
 
The &quot;Clear&quot; button resets the statistics and clears the table.</translation>
    </message>
    <message>
        <source> Статистика </source>
        <translation> Statistics </translation>
    </message>
    <message>
        <source>Запросы терминала:</source>
        <translation>Requests:</translation>
    </message>
    <message>
        <source>Ответы ДУТов:</source>
        <translation>Answers:</translation>
    </message>
    <message>
        <source>Не распознал:</source>
        <translation>Unknown:</translation>
    </message>
    <message>
        <source>Всего пакетов:</source>
        <translation>Packets:</translation>
    </message>
    <message>
        <source>Очистить</source>
        <translation>Clear</translation>
    </message>
</context>
<context>
    <name>TForm5</name>
    <message>
        <source>Горячие клавиши</source>
        <translation>Hot keys</translation>
    </message>
    <message>
        <source>Для удобства, при монтаже ДУТа, Вы можете использовать горячие клавиши<byte value="xd"/>
  <byte value="xd"/>
F1    - Установить уровень пустого бака<byte value="xd"/>
F4    - Установить уровень полного бака<byte value="xd"/>
F9    - Установить сетевой адрес №1<byte value="xd"/>
F10  - Установить сетевой адрес №2<byte value="xd"/>
  <byte value="xd"/>
Данные клавиши работают при запущенной программе в любом режиме (в фокусе или не в фокусе)<byte value="xd"/>
   <byte value="xd"/>
После нажатия на горячую клавишу программа выдаст сообщение о выполненной операции. Данное сообщение можно закрыть клавишей &quot;Пробел&quot;.</source>
        <translation>For convenience when fitting the sensor you can use hot keys
 
F1    - Set the empty tank level
F4    - Set the full tank level
F9    - Set network address 1
F10  - Set network address 2
 
These keys work while the program runs, whether it has the focus or not.
 
After a hot key the program shows a message about the operation. Close it with the Space bar.</translation>
    </message>
</context>
<context>
    <name>TForm6</name>
    <message>
        <source>Дополнительные параметры</source>
        <translation>Advanced settings</translation>
    </message>
    <message>
        <source>Разрядность выхода LLS:</source>
        <translation>LLS output resolution:</translation>
    </message>
    <message>
        <source>Переодическая выдача данных:</source>
        <translation>Periodic data output:</translation>
    </message>
    <message>
        <source>12 Бит (0..4095)</source>
        <translation>12 bit (0..4095)</translation>
    </message>
    <message>
        <source>10 Бит (0..1023)</source>
        <translation>10 bit (0..1023)</translation>
    </message>
</context>
<context>
    <name>TableCsv</name>
    <message>
        <source>файл пуст</source>
        <translation>the file is empty</translation>
    </message>
    <message>
        <source>не текст (двоичные данные)</source>
        <translation>not text (binary data)</translation>
    </message>
    <message>
        <source>ожидалось 2 столбца (уровень;литры), найдено </source>
        <translation>2 columns (level;litres) expected, found </translation>
    </message>
    <message>
        <source>уровень не целое число: &quot;</source>
        <translation>the level is not a whole number: &quot;</translation>
    </message>
    <message>
        <source>литры не число: &quot;</source>
        <translation>the litres are not a number: &quot;</translation>
    </message>
    <message>
        <source>уровень меньше нуля</source>
        <translation>the level is below zero</translation>
    </message>
    <message>
        <source>литры меньше нуля</source>
        <translation>the litres are below zero</translation>
    </message>
    <message>
        <source>в файле нет ни одной точки</source>
        <translation>the file holds no point</translation>
    </message>
    <message>
        <source>текст UTF-16 испорчен</source>
        <translation>the UTF-16 text is damaged</translation>
    </message>
    <message>
        <source>текст в UTF-16 без метки порядка байтов (BOM); сохраните его в UTF-8 или в UTF-16 с меткой</source>
        <translation>UTF-16 text without a byte order mark (BOM); save it as UTF-8 or as UTF-16 with the mark</translation>
    </message>
    <message>
        <source>больше точек, чем помещается в таблицу (предел </source>
        <translation>more points than a table holds (the limit is </translation>
    </message>
    <message>
        <source>литры больше предела в </source>
        <translation>litres above the limit of </translation>
    </message>
    <message>
        <source>уровень больше предела в </source>
        <translation>level above the limit of </translation>
    </message>
    <message>
        <source>название длиннее </source>
        <translation>a name longer than </translation>
    </message>
    <message>
        <source> байт</source>
        <translation> bytes</translation>
    </message>
</context>
<context>
    <name>TableSession</name>
    <message>
        <source>файл оборван (нет конца строки)</source>
        <translation>the file is cut short (no line end)</translation>
    </message>
    <message>
        <source>строка </source>
        <translation>line </translation>
    </message>
    <message>
        <source>это не файл сеанса тарировки</source>
        <translation>this is not a tank calibration session file</translation>
    </message>
    <message>
        <source>данные после конца таблицы</source>
        <translation>data after the end of the table</translation>
    </message>
    <message>
        <source>не читается</source>
        <translation>cannot be read</translation>
    </message>
    <message>
        <source>число точек не сходится</source>
        <translation>the number of points does not match</translation>
    </message>
    <message>
        <source>файл пуст</source>
        <translation>the file is empty</translation>
    </message>
    <message>
        <source>файл оборван (нет конца таблицы)</source>
        <translation>the file is cut short (no table end)</translation>
    </message>
    <message>
        <source>файл больше предела в </source>
        <translation>the file is larger than the limit of </translation>
    </message>
    <message>
        <source> байт</source>
        <translation> bytes</translation>
    </message>
    <message>
        <source>точек больше предела в </source>
        <translation>more points than the limit of </translation>
    </message>
</context>
<context>
    <name>TankCalibrationWindow</name>
    <message>
        <source>введите число литров.</source>
        <translation>enter a number of litres.</translation>
    </message>
    <message>
        <source>Уровень берётся из ответов датчика с выбранным адресом, пока открыт монитор работы LLS (Ctrl+Shift+L в главном окне). Пока монитор открыт, точки записываются в автоматическом режиме.</source>
        <translation>The level is taken from the answers of the sensor with the chosen address while the LLS monitor is open (Ctrl+Shift+L in the main window). While the monitor is open, points are recorded automatically.</translation>
    </message>
    <message>
        <source>Файл сеанса тарировки не читается</source>
        <translation>The tank calibration session file cannot be read</translation>
    </message>
    <message>
        <source>Найдена незавершённая таблица тарировки: %1 точек%2%3%4. Продолжить её?
«Начать заново» откладывает её в файл рядом.</source>
        <translation>An unfinished calibration table was found: %1 points%2%3%4. Continue it?
&quot;Start over&quot; sets it aside in a file next to it.</translation>
    </message>
    <message>
        <source>, бак «%1»</source>
        <translation>, tank &quot;%1&quot;</translation>
    </message>
    <message>
        <source>, ТС «%1»</source>
        <translation>, vehicle &quot;%1&quot;</translation>
    </message>
    <message>
        <source>, ДУТ № %1</source>
        <translation>, sensor No. %1</translation>
    </message>
    <message>
        <source>Незавершённая тарировка</source>
        <translation>Unfinished calibration</translation>
    </message>
    <message>
        <source>Продолжить</source>
        <translation>Continue</translation>
    </message>
    <message>
        <source>Начать заново</source>
        <translation>Start over</translation>
    </message>
    <message>
        <source>Таблица восстановлена: %1 точек.</source>
        <translation>Table restored: %1 points.</translation>
    </message>
    <message>
        <source>Прежняя таблица отложена в %1.</source>
        <translation>The previous table was set aside in %1.</translation>
    </message>
    <message>
        <source>Уровень: %1</source>
        <translation>Level: %1</translation>
    </message>
    <message>
        <source>Уровень: —</source>
        <translation>Level: —</translation>
    </message>
    <message>
        <source>Нет показаний</source>
        <translation>No readings</translation>
    </message>
    <message>
        <source>Уровень стабилен</source>
        <translation>Level stable</translation>
    </message>
    <message>
        <source>Уровень меняется: %1 из %2 одинаковых подряд</source>
        <translation>Level changing: %1 of %2 equal in a row</translation>
    </message>
    <message>
        <source>ДУТ № —</source>
        <translation>Sensor No. —</translation>
    </message>
    <message>
        <source>ДУТ № %1</source>
        <translation>Sensor No. %1</translation>
    </message>
    <message>
        <source>Точка не записана: нет показаний уровня. Подключите датчик (или откройте монитор LLS для шины).</source>
        <translation>Point not recorded: no level readings. Connect the sensor (or open the LLS monitor for the bus).</translation>
    </message>
    <message>
        <source>Точка не записана: уровень ещё не стабилен (%1 из %2 одинаковых показаний подряд). Дождитесь «Уровень стабилен».</source>
        <translation>Point not recorded: the level is not stable yet (%1 of %2 equal readings in a row). Wait for &quot;Level stable&quot;.</translation>
    </message>
    <message>
        <source>Точка не записана: введите порцию в литрах (число больше нуля).</source>
        <translation>Point not recorded: enter the portion in litres (a number above zero).</translation>
    </message>
    <message>
        <source>Точка не записана: для слива введите полный объём бака в литрах.</source>
        <translation>Point not recorded: for draining, enter the full tank volume in litres.</translation>
    </message>
    <message>
        <source>Точка не записана: %1</source>
        <translation>Point not recorded: %1</translation>
    </message>
    <message>
        <source>Записана точка %1: %2 л, уровень %3.</source>
        <translation>Point %1 recorded: %2 l, level %3.</translation>
    </message>
    <message>
        <source>Таблица не сохранена в файл сеанса %1: %2</source>
        <translation>The table was not saved to the session file %1: %2</translation>
    </message>
    <message>
        <source>Литры строки %1 не изменены: %2</source>
        <translation>The litres of row %1 were not changed: %2</translation>
    </message>
    <message>
        <source>Литры строки %1 изменены; следующие строки сдвинуты на ту же величину.</source>
        <translation>The litres of row %1 changed; the rows after it moved by the same amount.</translation>
    </message>
    <message>
        <source>Направление меняется только для новой таблицы («Новая таблица»).</source>
        <translation>The direction changes only for a new table (&quot;New table&quot;).</translation>
    </message>
    <message>
        <source>Отменять нечего.</source>
        <translation>Nothing to undo.</translation>
    </message>
    <message>
        <source>Последнее изменение отменено.</source>
        <translation>The last change was undone.</translation>
    </message>
    <message>
        <source>Выберите строку, которую удалить.</source>
        <translation>Choose the row to delete.</translation>
    </message>
    <message>
        <source>Строка %1 удалена (Ctrl+Z возвращает её).</source>
        <translation>Row %1 deleted (Ctrl+Z brings it back).</translation>
    </message>
    <message>
        <source>Новая таблица.</source>
        <translation>New table.</translation>
    </message>
    <message>
        <source>Новая таблица. Прежняя сохранена в %1; «Отменить» (Ctrl+Z) возвращает её сюда.</source>
        <translation>New table. The previous one was saved in %1; &quot;Undo&quot; (Ctrl+Z) brings it back here.</translation>
    </message>
    <message>
        <source>Экспорт таблицы тарировки</source>
        <translation>Export the calibration table</translation>
    </message>
    <message>
        <source>Таблица не выгружена в %1: %2</source>
        <translation>The table was not exported to %1: %2</translation>
    </message>
    <message>
        <source>Таблица выгружена: %1 (%2 точек).</source>
        <translation>Table exported: %1 (%2 points).</translation>
    </message>
    <message>
        <source>Импорт таблицы тарировки</source>
        <translation>Import a calibration table</translation>
    </message>
    <message>
        <source>CSV (*.csv);;Все файлы (*)</source>
        <translation>CSV (*.csv);;All files (*)</translation>
    </message>
    <message>
        <source>строка %1: %2</source>
        <translation>line %1: %2</translation>
    </message>
    <message>
        <source>Файл %1 не принят: %2. Текущая таблица не изменена.</source>
        <translation>File %1 not accepted: %2. The current table is unchanged.</translation>
    </message>
    <message>
        <source>Загружено %1 точек из %2 (Ctrl+Z возвращает прежнюю таблицу).</source>
        <translation>Loaded %1 points from %2 (Ctrl+Z brings back the previous table).</translation>
    </message>
    <message>
        <source>Тарировка бака</source>
        <translation>Tank calibration</translation>
    </message>
    <message>
        <source>название бака</source>
        <translation>tank name</translation>
    </message>
    <message>
        <source>госномер или название</source>
        <translation>plate number or name</translation>
    </message>
    <message>
        <source>Бак:</source>
        <translation>Tank:</translation>
    </message>
    <message>
        <source>ТС:</source>
        <translation>Vehicle:</translation>
    </message>
    <message>
        <source>Датчик на связи (выходной уровень)</source>
        <translation>Connected sensor (output level)</translation>
    </message>
    <message>
        <source>Шина LLS (монитор), адрес:</source>
        <translation>LLS bus (monitor), address:</translation>
    </message>
    <message>
        <source>Источник уровня:</source>
        <translation>Level source:</translation>
    </message>
    <message>
        <source>Заливка (от пустого)</source>
        <translation>Filling (from empty)</translation>
    </message>
    <message>
        <source>Слив (от полного)</source>
        <translation>Draining (from full)</translation>
    </message>
    <message>
        <source>полный объём, л</source>
        <translation>full volume, l</translation>
    </message>
    <message>
        <source>Записать точку</source>
        <translation>Record point</translation>
    </message>
    <message>
        <source>Записывать автоматически</source>
        <translation>Record automatically</translation>
    </message>
    <message>
        <source>Порция, л:</source>
        <translation>Portion, l:</translation>
    </message>
    <message>
        <source>№</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>Литры</source>
        <translation>Litres</translation>
    </message>
    <message>
        <source>Уровень</source>
        <translation>Level</translation>
    </message>
    <message>
        <source>Сырое</source>
        <translation>Raw</translation>
    </message>
    <message>
        <source>Время</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>Отметка</source>
        <translation>Mark</translation>
    </message>
    <message>
        <source>Удалить строку</source>
        <translation>Delete row</translation>
    </message>
    <message>
        <source>Отменить (Ctrl+Z)</source>
        <translation>Undo (Ctrl+Z)</translation>
    </message>
    <message>
        <source>Новая таблица</source>
        <translation>New table</translation>
    </message>
    <message>
        <source>Экспорт CSV... (Ctrl+S)</source>
        <translation>Export CSV... (Ctrl+S)</translation>
    </message>
    <message>
        <source>Импорт CSV... (Ctrl+O)</source>
        <translation>Import CSV... (Ctrl+O)</translation>
    </message>
    <message>
        <source>десятичная запятая</source>
        <translation>decimal comma</translation>
    </message>
    <message>
        <source>Таблица не меняется: файл блокировки %1.lock не создаётся.</source>
        <translation>The table does not change: the lock file %1.lock cannot be made.</translation>
    </message>
    <message>
        <source>другая программа</source>
        <translation>another program</translation>
    </message>
    <message>
        <source>другая программа (процесс %1)</source>
        <translation>another program (process %1)</translation>
    </message>
    <message>
        <source>Таблицу тарировки сейчас ведёт %1. Пока она не закроет своё окно тарировки, здесь точки не записываются и таблица не меняется.</source>
        <translation>The calibration table is now kept by %1. Until it closes its tank calibration window, no points are recorded here and the table does not change.</translation>
    </message>
    <message>
        <source>Таблицу в файле сеанса меняла другая программа; взята она: %1 точек.</source>
        <translation>Another program changed the table in the session file; that table is taken: %1 points.</translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>файл больше %1 МБ, а в таблице не больше %2 точек</source>
        <translation>the file is larger than %1 MB, and a table holds at most %2 points</translation>
    </message>
    <message>
        <source>Ждём новое показание уровня…</source>
        <translation>Waiting for a new level reading…</translation>
    </message>
    <message>
        <source>На связи другой датчик, ДУТ № %1: в эту таблицу точки не записываются. «Новая таблица» начинает таблицу для него.</source>
        <translation>Another sensor is connected, sensor No. %1: no points go into this table. &quot;New table&quot; starts a table for it.</translation>
    </message>
    <message>
        <source>Точка не записана: таблица принадлежит ДУТ № %1, а на связи ДУТ № %2. «Новая таблица» начинает таблицу для ДУТ № %2.</source>
        <translation>Point not recorded: the table belongs to sensor No. %1, but sensor No. %2 is connected. &quot;New table&quot; starts a table for sensor No. %2.</translation>
    </message>
    <message>
        <source>Точка не записана: последнее показание уровня получено %1 с назад, а точка берётся только из показания не старше %2 с. Проверьте связь с датчиком.</source>
        <translation>Point not recorded: the last level reading came %1 s ago, and a point is taken only from a reading no older than %2 s. Check the connection to the sensor.</translation>
    </message>
    <message>
        <source>тарировка</source>
        <translation>calibration</translation>
    </message>
</context>
<context>
    <name>TankSessionFile</name>
    <message>
        <source>Файл сеанса тарировки %1 не читается (%2), и отложить его не удалось. Окно начинает с пустой таблицы; она не сохраняется, пока этот файл не убран.</source>
        <translation>The tank calibration session file %1 cannot be read (%2), and it could not be set aside. The window starts with an empty table; it is not saved until that file is removed.</translation>
    </message>
    <message>
        <source>Файл сеанса тарировки не читается (%1). Он отложен как %2. Окно начинает с пустой таблицы.</source>
        <translation>The tank calibration session file cannot be read (%1). It was set aside as %2. The window starts with an empty table.</translation>
    </message>
    <message>
        <source>файл сеанса не убран</source>
        <translation>the session file was not removed</translation>
    </message>
    <message>
        <source>файл сеанса ведёт другая программа</source>
        <translation>another program keeps the session file</translation>
    </message>
</context>
<context>
    <name>ui::ExchangeLogWindow</name>
    <message>
        <source>Журнал обмена</source>
        <translation>Exchange log</translation>
    </message>
    <message>
        <source>Сохранить…</source>
        <translation>Save…</translation>
    </message>
    <message>
        <source>Сохранить журнал обмена</source>
        <translation>Save the exchange log</translation>
    </message>
    <message>
        <source>Журнал не сохранён: %1
%2</source>
        <translation>The log was not saved: %1
%2</translation>
    </message>
    <message>
        <source>Текст (*.txt)</source>
        <translation>Text (*.txt)</translation>
    </message>
</context>
<context>
    <name>ui::ReportWindow</name>
    <message>
        <source>Отчёт об установке</source>
        <translation>Installation report</translation>
    </message>
    <message>
        <source>Установщик:</source>
        <translation>Installer:</translation>
    </message>
    <message>
        <source>фамилия, имя</source>
        <translation>surname, name</translation>
    </message>
    <message>
        <source>Организация:</source>
        <translation>Company:</translation>
    </message>
    <message>
        <source>Госномер ТС:</source>
        <translation>Vehicle plate:</translation>
    </message>
    <message>
        <source>Модель ТС:</source>
        <translation>Vehicle model:</translation>
    </message>
    <message>
        <source>Бак:</source>
        <translation>Tank:</translation>
    </message>
    <message>
        <source>например, основной, 400 л</source>
        <translation>e.g. main, 400 l</translation>
    </message>
    <message>
        <source>Сохранить PDF…</source>
        <translation>Save PDF…</translation>
    </message>
    <message>
        <source>Печать…</source>
        <translation>Print…</translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Значения датчика читаются при составлении отчёта; таблица тарировки берётся из окна «Тарировка» этого сеанса.</source>
        <translation>The sensor&apos;s values are read when the report is made; the calibration table comes from this session&apos;s &quot;Tank calibration&quot; window.</translation>
    </message>
    <message>
        <source>Сохранить отчёт</source>
        <translation>Save the report</translation>
    </message>
    <message>
        <source>отчёт не построен</source>
        <translation>the report was not made</translation>
    </message>
    <message>
        <source>Отчёт не сохранён</source>
        <translation>Report not saved</translation>
    </message>
    <message>
        <source>Не удалось записать отчёт в файл «%1»: %2.
Введённые данные остались в форме: выберите другое место и сохраните снова.</source>
        <translation>The report could not be written to the file &quot;%1&quot;: %2.
The details typed stay in the form: choose another place and save again.</translation>
    </message>
    <message>
        <source>Отчёт сохранён: %1</source>
        <translation>Report saved: %1</translation>
    </message>
    <message>
        <source>
Датчик ответил не на все запросы: это указано в отчёте.</source>
        <translation>
The sensor did not answer every request: the report says so.</translation>
    </message>
    <message>
        <source>
Программа просмотра PDF не открылась.</source>
        <translation>
The PDF viewer did not open.</translation>
    </message>
    <message>
        <source>Печать отчёта</source>
        <translation>Print the report</translation>
    </message>
    <message>
        <source>Отчёт не напечатан</source>
        <translation>Report not printed</translation>
    </message>
    <message>
        <source>Принтер не принял отчёт. Введённые данные остались в форме.</source>
        <translation>The printer did not take the report. The details typed stay in the form.</translation>
    </message>
    <message>
        <source>Отчёт отправлен на печать.</source>
        <translation>The report was sent to the printer.</translation>
    </message>
    <message>
        <source>например, А123ВС77</source>
        <translation>e.g. A123BC77</translation>
    </message>
    <message>
        <source>марка и модель</source>
        <translation>make and model</translation>
    </message>
    <message>
        <source>отчёт</source>
        <translation>report</translation>
    </message>
    <message>
        <source>Ожидание ответа датчика: подключение…</source>
        <translation>Waiting for the sensor: connecting…</translation>
    </message>
    <message>
        <source>Ожидание ответа датчика: %1 (%2 из %3)…</source>
        <translation>Waiting for the sensor: %1 (%2 of %3)…</translation>
    </message>
    <message>
        <source>Датчик не ответил</source>
        <translation>The sensor did not answer</translation>
    </message>
    <message>
        <source>Сохранить</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Напечатать</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>Не сейчас</source>
        <translation>Not now</translation>
    </message>
    <message>
        <source>Отчёт не сохранён: датчик не ответил.</source>
        <translation>Report not saved: the sensor did not answer.</translation>
    </message>
    <message>
        <source>Отчёт не напечатан: датчик не ответил.</source>
        <translation>Report not printed: the sensor did not answer.</translation>
    </message>
    <message>
        <source>
Датчик не ответил ни на один запрос: это указано в отчёте.</source>
        <translation>
The sensor answered none of the requests: the report says so.</translation>
    </message>
    <message>
        <source>название организации</source>
        <translation>company name</translation>
    </message>
    <message>
        <source>Датчик не ответил ни на один запрос (%1).</source>
        <translation>The sensor answered none of the requests (%1).</translation>
    </message>
    <message>
        <source>Сохранить отчёт без значений датчика?</source>
        <translation>Save the report without the sensor&apos;s values?</translation>
    </message>
    <message>
        <source>Напечатать отчёт без значений датчика?</source>
        <translation>Print the report without the sensor&apos;s values?</translation>
    </message>
</context>
<context>
    <name>ui::SettingsApplyDialog</name>
    <message>
        <source>нет ответа</source>
        <translation>no answer</translation>
    </message>
    <message>
        <source>Применить настройки</source>
        <translation>Apply settings</translation>
    </message>
    <message>
        <source>Файл: %1
ДУТ № %2, сохранено %3.</source>
        <translation>File: %1
Sensor No. %2, saved %3.</translation>
    </message>
    <message>
        <source>
Подключён другой датчик: уровни не отмечены, они принадлежат одному баку и одной длине датчика.</source>
        <translation>
Another sensor is connected: the levels are not ticked, they belong to one tank and one sensor length.</translation>
    </message>
    <message>
        <source>
Отметьте, что записать в датчик. Параметры только для чтения не записываются никогда.</source>
        <translation>
Tick what to write to the sensor. Read-only parameters are never written.</translation>
    </message>
    <message>
        <source>Параметр</source>
        <translation>Parameter</translation>
    </message>
    <message>
        <source>В файле</source>
        <translation>In the file</translation>
    </message>
    <message>
        <source>В датчике</source>
        <translation>In the sensor</translation>
    </message>
    <message>
        <source> (только чтение)</source>
        <translation> (read only)</translation>
    </message>
    <message>
        <source>Записать отмеченное</source>
        <translation>Write the ticked</translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>
В файле полный уровень не выше пустого: с ними у датчика не будет рабочего выхода. Уровни выделены и не отмечены.</source>
        <translation>
In the file the full level is not above the empty level: with them the sensor has no usable output. The levels are marked and not ticked.</translation>
    </message>
    <message>
        <source>Полный уровень не выше пустого</source>
        <translation>The full level is not above the empty level</translation>
    </message>
    <message>
        <source>Запись в датчик и проверка записанного (%1 знач.)… Ждём ответа датчика.</source>
        <translation>Writing to the sensor and checking what was written (%1 values)… Waiting for the sensor to answer.</translation>
    </message>
</context>
</TS>
