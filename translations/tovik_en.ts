<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ru">
<context>
    <name>tovik::AdvancedDialog</name>
    <message>
        <source>Дополнительные параметры программы</source>
        <translation>Advanced settings</translation>
    </message>
    <message>
        <source>Максимальное время нахождение ветви линии напряжённости (с)</source>
        <translation>Longest time to trace one branch of a field line (s)</translation>
    </message>
    <message>
        <source>Максимально допустимая напряжённость для нахождения линии</source>
        <translation>Largest field strength at which a line is traced</translation>
    </message>
    <message>
        <source>Размер квадратной области, на которые делится изображение</source>
        <translation>Side of the squares the picture is divided into</translation>
    </message>
    <message>
        <source>Плотность заряда в самых ярких синих точках рисунка</source>
        <translation>Charge density of the brightest blue pixels</translation>
    </message>
    <message>
        <source>ОК</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>число больше 0 и не больше %1</source>
        <translation>a number above 0 and at most %1</translation>
    </message>
    <message>
        <source>целое число от 1 до %1 (дробное число округляется до ближайшего целого)</source>
        <translation>a whole number from 1 to %1 (a fraction is rounded to the nearest whole number)</translation>
    </message>
    <message>
        <source>число от -%1 до %1, не равное 0</source>
        <translation>a number from -%1 to %1 other than 0</translation>
    </message>
    <message>
        <source>В поле «%1» должно быть %2.</source>
        <translation>The field “%1” takes %2.</translation>
    </message>
</context>
<context>
    <name>tovik::ErrorGuard</name>
    <message>
        <source>Ошибка выполнения: переполнение.</source>
        <translation>Run-time error: overflow.</translation>
    </message>
    <message>
        <source>Ошибка выполнения: индекс за пределами диапазона.</source>
        <translation>Run-time error: subscript out of range.</translation>
    </message>
    <message>
        <source>Ошибка выполнения: деление на ноль.</source>
        <translation>Run-time error: division by zero.</translation>
    </message>
    <message>
        <source>Ошибка выполнения: недопустимая операция с плавающей точкой.</source>
        <translation>Run-time error: invalid floating-point operation.</translation>
    </message>
    <message>
        <source>Ошибка выполнения.</source>
        <translation>Run-time error.</translation>
    </message>
    <message>
        <source>Недостаточно памяти для выполнения команды.</source>
        <translation>Not enough memory to carry out the command.</translation>
    </message>
    <message>
        <source>Внутренняя ошибка: %1</source>
        <translation>Internal error: %1</translation>
    </message>
</context>
<context>
    <name>tovik::ExportCommand</name>
    <message>
        <source>Рисунок SVG|*.svg|Документ PDF|*.pdf|Рисунок PNG|*.png|Линии в JSON|*.json|Точки линий в CSV|*.csv</source>
        <translation>SVG picture|*.svg|PDF document|*.pdf|PNG picture|*.png|Lines as JSON|*.json|Points of the lines as CSV|*.csv</translation>
    </message>
    <message>
        <source>Не удаётся сохранить «%1»: формат файла с таким расширением неизвестен. Выберите имя, оканчивающееся на .svg, .pdf, .png, .json или .csv.</source>
        <translation>“%1” cannot be saved: a file with this extension is of no known format. Choose a name that ends in .svg, .pdf, .png, .json or .csv.</translation>
    </message>
    <message>
        <source>|E|, заряд / точка²</source>
        <translation>|E|, charge / pixel²</translation>
    </message>
    <message>
        <source>Потенциал, заряд / точка</source>
        <translation>Potential, charge / pixel</translation>
    </message>
    <message>
        <source>Не удаётся сохранить рисунок в «%1»: это не обычный файл, а папка, канал или устройство. Выберите другое имя файла.</source>
        <translation>The picture cannot be saved to “%1”: it is not an ordinary file but a folder, a pipe or a device. Choose another file name.</translation>
    </message>
    <message>
        <source>Не удаётся сохранить рисунок в файл «%1»: запись в него невозможна (нет места на диске или нет прав на запись). Прежний файл, если он был, остался без изменений.</source>
        <translation>The picture cannot be saved to the file “%1”: it cannot be written (the disk is full or writing is not allowed). The earlier file, if there was one, is unchanged.</translation>
    </message>
</context>
<context>
    <name>tovik::FieldViews</name>
    <message>
        <source>Эквипотенциали</source>
        <translation>Equipotentials</translation>
    </message>
    <message>
        <source>Карта напряжённости</source>
        <translation>Field strength map</translation>
    </message>
    <message>
        <source>Карта потенциала</source>
        <translation>Potential map</translation>
    </message>
    <message>
        <source>Потенциал в данной точке</source>
        <translation>Potential at this point</translation>
    </message>
    <message>
        <source>Поле не удалось рассчитать: %1</source>
        <translation>The field could not be computed: %1</translation>
    </message>
</context>
<context>
    <name>tovik::LineDataFile</name>
    <message>
        <source>Не удаётся сохранить линии в «%1»: данные линий пишутся только в JSON или CSV.</source>
        <translation>The lines cannot be saved to “%1”: the data of the lines is written only as JSON or CSV.</translation>
    </message>
    <message>
        <source>Не удаётся сохранить линии в «%1»: это не обычный файл, а папка, канал или устройство. Выберите другое имя файла.</source>
        <translation>The lines cannot be saved to “%1”: it is not an ordinary file but a folder, a pipe or a device. Choose another file name.</translation>
    </message>
    <message>
        <source>Не удаётся сохранить линии в файл «%1»: запись в него невозможна (нет места на диске или нет прав на запись).</source>
        <translation>The lines cannot be saved to the file “%1”: it cannot be written (the disk is full or writing is not allowed).</translation>
    </message>
</context>
<context>
    <name>tovik::MainWindow</name>
    <message>
        <source>Переподготовка</source>
        <translation>Prepare again</translation>
    </message>
    <message>
        <source>Подготовка</source>
        <translation>Prepare</translation>
    </message>
    <message>
        <source>Электрическое поле</source>
        <translation>Electric Field</translation>
    </message>
    <message>
        <source>Панель управления</source>
        <translation>Control panel</translation>
    </message>
    <message>
        <source>Сохранить</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Открыть</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>О программе...</source>
        <translation>About...</translation>
    </message>
    <message>
        <source>Выход</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>Пуск</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>Очистка</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>Дополнительно...</source>
        <translation>Advanced...</translation>
    </message>
    <message>
        <source>Плотность заряда в данной точке: заряд клетки под указателем на одну точку рисунка; сразу после подготовки — сколько секунд она шла</source>
        <translation>Charge density at this point: the charge of the cell under the pointer per pixel of the picture; right after a preparation, how many seconds it took</translation>
    </message>
    <message>
        <source>X-составляющая вектора напряжённости: горизонтальная составляющая поля под указателем (вправо — больше нуля)</source>
        <translation>X component of the field vector: the horizontal component of the field under the pointer (to the right is above zero)</translation>
    </message>
    <message>
        <source>Y-составляющая вектора напряжённости: вертикальная составляющая поля под указателем (вниз — больше нуля)</source>
        <translation>Y component of the field vector: the vertical component of the field under the pointer (downwards is above zero)</translation>
    </message>
    <message>
        <source>Параметры нахождения линий напряжённости</source>
        <translation>Tracing of field lines</translation>
    </message>
    <message>
        <source>Параметры вычисления напряжённости поля</source>
        <translation>Computation of the field</translation>
    </message>
    <message>
        <source>Быстрее</source>
        <translation>Faster</translation>
    </message>
    <message>
        <source>Точнее</source>
        <translation>Finer</translation>
    </message>
    <message>
        <source>Меню</source>
        <translation>Menu</translation>
    </message>
    <message>
        <source>Средний заряд</source>
        <translation>Mean charge</translation>
    </message>
    <message>
        <source>Очистка поля</source>
        <translation>Clear field</translation>
    </message>
    <message>
        <source>Нахождение линий</source>
        <translation>Find lines</translation>
    </message>
    <message>
        <source>На рисунке нет заряда: ни в одной точке синий не отличается от красного, поэтому поля нет и линии не рисуются.</source>
        <translation>The picture holds no charge: no pixel has a blue that differs from its red, so there is no field and no lines are drawn.</translation>
    </message>
    <message>
        <source>Экспорт...</source>
        <translation>Export...</translation>
    </message>
</context>
<context>
    <name>tovik::PictureCommands</name>
    <message>
        <source>Графические файлы|*.bmp;*.jpg;*.jpeg;*.png;*.gif;*.wmf;*.emf|Все файлы|*.*</source>
        <translation>Picture files|*.bmp;*.jpg;*.jpeg;*.png;*.gif;*.wmf;*.emf|All files|*.*</translation>
    </message>
    <message>
        <source>Рисунок BMP|*.bmp|Рисунок PNG|*.png</source>
        <translation>BMP picture|*.bmp|PNG picture|*.png</translation>
    </message>
    <message>
        <source>Рисунок %1 × %2 точек больше области рисования: в расчёте участвуют только левые верхние %3 × %4 точек.</source>
        <translation>The picture of %1 × %2 pixels is larger than the drawing area: only its top-left %3 × %4 pixels take part.</translation>
    </message>
</context>
<context>
    <name>tovik::PictureLoader</name>
    <message>
        <source>Файл «%1» не найден.</source>
        <translation>The file “%1” was not found.</translation>
    </message>
    <message>
        <source>Не удаётся открыть файл «%1»: нет доступа.</source>
        <translation>The file “%1” cannot be opened: access denied.</translation>
    </message>
    <message>
        <source>«%1» — не файл, а папка или устройство.</source>
        <translation>“%1” is not a file but a folder or a device.</translation>
    </message>
    <message>
        <source>Не удаётся прочитать файл «%1».</source>
        <translation>The file “%1” cannot be read.</translation>
    </message>
    <message>
        <source>Файл «%1» пуст: рисунка в нём нет.</source>
        <translation>The file “%1” is empty: it holds no picture.</translation>
    </message>
    <message>
        <source>Рисунок «%1» слишком велик: допускается не более %2 точек по ширине и по высоте.</source>
        <translation>The picture “%1” is too large: at most %2 pixels across and down are allowed.</translation>
    </message>
    <message>
        <source>Файл «%1» не удаётся прочитать как рисунок: его формат не поддерживается или файл повреждён.</source>
        <translation>The file “%1” cannot be read as a picture: its format is not supported or the file is damaged.</translation>
    </message>
    <message>
        <source>Не удаётся прочитать метафайл «%1»: файл повреждён или его формат не поддерживается.</source>
        <translation>The metafile “%1” cannot be read: the file is damaged or its format is not supported.</translation>
    </message>
    <message>
        <source>Не удаётся прочитать рисунок «%1»: не найдена программа чтения рисунков tovik-decoder.</source>
        <translation>The picture “%1” cannot be read: the picture reader tovik-decoder was not found.</translation>
    </message>
    <message>
        <source>Файл «%1» обрезан: рисунок записан в нём не полностью.</source>
        <translation>The file “%1” is cut short: the picture in it is incomplete.</translation>
    </message>
    <message>
        <source>Не удаётся прочитать рисунок «%1»: чтение заняло слишком много времени и было прервано.</source>
        <translation>The picture “%1” cannot be read: reading took too long and was stopped.</translation>
    </message>
    <message>
        <source>Чтение рисунка «%1» прервано.</source>
        <translation>Reading the picture “%1” was stopped.</translation>
    </message>
    <message>
        <source>Рисунок «%1» не открыт: программа ещё читает другой рисунок.</source>
        <translation>The picture “%1” was not opened: another picture is still being read.</translation>
    </message>
</context>
<context>
    <name>tovik::PictureWriter</name>
    <message>
        <source>Не удаётся сохранить рисунок в «%1»: это не обычный файл, а папка, канал или устройство. Выберите другое имя файла.</source>
        <translation>The picture cannot be saved to “%1”: it is not an ordinary file but a folder, a pipe or a device. Choose another file name.</translation>
    </message>
    <message>
        <source>Не удаётся сохранить рисунок в файл «%1»: запись в него невозможна.</source>
        <translation>The picture cannot be saved to the file “%1”: it cannot be written.</translation>
    </message>
</context>
<context>
    <name>tovik::RunProgress</name>
    <message numerus="yes">
        <source>из %n квадрата</source>
        <translation>
            <numerusform>of %n square</numerusform>
            <numerusform>of %n squares</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>из %n квадратов</source>
        <translation>
            <numerusform>of %n square</numerusform>
            <numerusform>of %n squares</numerusform>
        </translation>
    </message>
    <message>
        <source>«Пуск» закончен: %1 %2 за %3 с.</source>
        <translation>“Start” finished: %1 %2 in %3 s.</translation>
    </message>
    <message>
        <source>«Пуск» остановлен: %1 %2 за %3 с.</source>
        <translation>“Start” stopped: %1 %2 in %3 s.</translation>
    </message>
    <message>
        <source>%v из %m — Esc останавливает «Пуск»</source>
        <translation>%v of %m — Esc stops “Start”</translation>
    </message>
    <message>
        <source>Клавиша Esc останавливает «Пуск»; нарисованные линии остаются.</source>
        <translation>The Esc key stops “Start”; the lines drawn stay.</translation>
    </message>
</context>
</TS>
