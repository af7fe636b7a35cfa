<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>ConversationDialog</name>
    <message>
        <source>Close conversation</source>
        <translation>Закрыть звонок</translation>
    </message>
    <message>
        <source>Conversation</source>
        <translation>Звонок</translation>
    </message>
    <message>
        <source>Describe call result</source>
        <translation>Опишите результат звонка</translation>
    </message>
    <message>
        <source>Name: </source>
        <translation>Имя:</translation>
    </message>
    <message>
        <source>Phone: </source>
        <translation>Телефон:</translation>
    </message>
    <message>
        <source>The site did not accept the result. You can send it again.</source>
        <translation>Сайт не принял результат. Вы можете отправить его ещё раз.</translation>
    </message>
</context>
<context>
    <name>FileSelectField</name>
    <message>
        <source>Please choose a file</source>
        <translation>Выберите файл</translation>
    </message>
    <message>
        <source>Select file</source>
        <translation>Выбор файла</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>%1 min</source>
        <translation>%1 мин</translation>
    </message>
    <message>
        <source>%1 h %2 min</source>
        <translation>%1 ч %2 мин</translation>
    </message>
    <message>
        <source>Waiting</source>
        <translation>Ждёт</translation>
    </message>
    <message>
        <source>Click a request to take it; click a number to dial it.</source>
        <translation>Щёлкните заявку, чтобы взять её; щёлкните номер, чтобы позвонить.</translation>
    </message>
    <message>
        <source>In conversation: %1, %2</source>
        <translation>Идёт звонок: %1, %2</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Имя</translation>
    </message>
    <message>
        <source>No pending requests</source>
        <translation>Нет ожидающих заявок</translation>
    </message>
    <message>
        <source>Phone</source>
        <translation>Телефон</translation>
    </message>
    <message>
        <source>Received</source>
        <translation>Получена</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>Статус</translation>
    </message>
    <message>
        <source>Vorlan</source>
        <translation>Vorlan</translation>
    </message>
    <message>
        <source>Vorlan: %1 pending</source>
        <translation>Vorlan: ожидают %1</translation>
    </message>
    <message>
        <source>Workplace...</source>
        <translation>Рабочее место...</translation>
    </message>
    <message>
        <source>Write the result</source>
        <translation>Записать результат</translation>
    </message>
    <message>
        <source>About Vorlan</source>
        <translation>О программе Vorlan</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Закрыть</translation>
    </message>
    <message>
        <source>Operator ID</source>
        <translation>Идентификатор оператора</translation>
    </message>
    <message>
        <source>Site</source>
        <translation>Сайт</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>Версия</translation>
    </message>
    <message>
        <source>Vorlan: call-back requests of your site</source>
        <translation>Vorlan: заявки на обратный звонок с вашего сайта</translation>
    </message>
    <message>
        <source>Workplace</source>
        <translation>Рабочее место</translation>
    </message>
    <message>
        <source>Workplace name</source>
        <translation>Название рабочего места</translation>
    </message>
    <message>
        <source>new</source>
        <translation>новая</translation>
    </message>
    <message>
        <source>processing</source>
        <translation>в работе</translation>
    </message>
    <message>
        <source>No program for calls is set up on this computer; the number %1 was copied.</source>
        <translation>На этом компьютере не настроена программа для звонков; номер %1 скопирован.</translation>
    </message>
</context>
<context>
    <name>OperatorID</name>
    <message>
        <source>Operator ID</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Critical</source>
        <translation>Критично</translation>
    </message>
    <message>
        <source>Error occured when registering operator workplace</source>
        <translation>Произошла ошибка в процессе регистрации рабочего места оператора</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>ОК</translation>
    </message>
    <message>
        <source>Server error</source>
        <translation>Ошибка сервера</translation>
    </message>
    <message>
        <source>The registration could not be saved to %1</source>
        <translation>Не удалось сохранить регистрацию в %1</translation>
    </message>
</context>
<context>
    <name>WorkplaceRegistration</name>
    <message>
        <source>Enter you Vorlan Server password</source>
        <translation>Введите пароль от Vorlan сервера</translation>
    </message>
    <message>
        <source>Enter your site URL (i.e. http://www.example.com)</source>
        <translation>Введите URL вашего сайта (например http://www.example.com)</translation>
    </message>
    <message>
        <source>Enter your workplace description (need for register on your Vorlan server)</source>
        <translation>Введите описание/название рабочего места 
(требуется для регистрации на вашем Vorlan сервере)</translation>
    </message>
    <message>
        <source>Register</source>
        <translation>Зарегистрировать</translation>
    </message>
    <message>
        <source>Workplace registration</source>
        <translation>Регистрация рабочего места</translation>
    </message>
    <message>
        <source>This address is plain http: the password will travel unencrypted. Use https:// if the site offers it.</source>
        <translation>Это адрес с обычным http: пароль будет передан без шифрования. Используйте https://, если сайт его поддерживает.</translation>
    </message>
</context>
<context>
    <name>about</name>
    <message>
        <source>API v1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>About Vorlan</source>
        <translation>О программе</translation>
    </message>
</context>
<context>
    <name>strings</name>
    <message>
        <source>About...</source>
        <translation>О программе...</translation>
    </message>
    <message>
        <source>Application</source>
        <translation>Приложение</translation>
    </message>
    <message>
        <source>Get data</source>
        <translation>Получить данные</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Помощь</translation>
    </message>
    <message>
        <source>Quit application</source>
        <translation>Закрыть программу</translation>
    </message>
    <message>
        <source>Server</source>
        <translation>Сервер</translation>
    </message>
</context>
</TS>
