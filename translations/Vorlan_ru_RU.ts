<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>CallNotifier</name>
    <message>
        <source>New call-back request</source>
        <translation>Новая заявка на обратный звонок</translation>
    </message>
    <message>
        <source>Take the call</source>
        <translation>Взять звонок</translation>
    </message>
    <message>
        <source>New call-back requests: %1</source>
        <translation>Новых заявок на обратный звонок: %1</translation>
    </message>
    <message>
        <source>Show the requests</source>
        <translation>Показать заявки</translation>
    </message>
    <message>
        <source>Show the window</source>
        <translation>Показать окно</translation>
    </message>
</context>
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
    <message>
        <source>Sending...</source>
        <translation>Отправка...</translation>
    </message>
    <message>
        <source>The draft could not be saved; the text is kept only while this dialog is open.</source>
        <translation>Черновик не удалось сохранить; текст хранится, только пока это окно открыто.</translation>
    </message>
    <message>
        <source>Earlier results</source>
        <translation>Прежние результаты</translation>
    </message>
    <message>
        <source>Write at least %1 characters to send the result.</source>
        <translation>Чтобы отправить результат, напишите не меньше %1 символов.</translation>
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
    <name>HistoryBook</name>
    <message>
        <source>%1 s</source>
        <translation>%1 с</translation>
    </message>
    <message>
        <source>%1 min</source>
        <translation>%1 мин</translation>
    </message>
    <message>
        <source>%1 h %2 min</source>
        <translation>%1 ч %2 мин</translation>
    </message>
    <message>
        <source>Closed today: %1</source>
        <translation>Закрыто сегодня: %1</translation>
    </message>
    <message>
        <source>median wait until taken: %1</source>
        <translation>медиана ожидания до взятия: %1</translation>
    </message>
    <message>
        <source>Export history</source>
        <translation>Экспорт истории</translation>
    </message>
    <message>
        <source>CSV files (*.csv)</source>
        <translation>Файлы CSV (*.csv)</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Имя</translation>
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
        <source>Closed</source>
        <translation>Закрыта</translation>
    </message>
    <message>
        <source>Result</source>
        <translation>Результат</translation>
    </message>
    <message>
        <source>The history could not be written to %1</source>
        <translation>Не удалось записать историю в %1</translation>
    </message>
</context>
<context>
    <name>HistoryWindow</name>
    <message>
        <source>History: %1</source>
        <translation>История: %1</translation>
    </message>
    <message>
        <source>Search:</source>
        <translation>Поиск:</translation>
    </message>
    <message>
        <source>Name, phone or words of the result</source>
        <translation>Имя, телефон или слова результата</translation>
    </message>
    <message>
        <source>Export...</source>
        <translation>Экспорт...</translation>
    </message>
    <message>
        <source>Closed</source>
        <translation>Закрыта</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Имя</translation>
    </message>
    <message>
        <source>Phone</source>
        <translation>Телефон</translation>
    </message>
    <message>
        <source>Result</source>
        <translation>Результат</translation>
    </message>
    <message>
        <source>No closed calls yet</source>
        <translation>Закрытых звонков пока нет</translation>
    </message>
    <message>
        <source>Nothing found</source>
        <translation>Ничего не найдено</translation>
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
    <message>
        <source>Take another call</source>
        <translation>Взять другой звонок</translation>
    </message>
    <message>
        <source>You hold a call whose result is not sent yet. Take another call?</source>
        <translation>У вас есть звонок, результат которого ещё не отправлен. Взять другой звонок?</translation>
    </message>
    <message>
        <source>Take</source>
        <translation>Взять</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <source>History...</source>
        <translation>История...</translation>
    </message>
    <message>
        <source>Forget history</source>
        <translation>Забыть историю</translation>
    </message>
    <message>
        <source>%1 d %2 h</source>
        <translation>%1 д %2 ч</translation>
    </message>
    <message>
        <source>%1, %2, %3</source>
        <translation>%1, %2, %3</translation>
    </message>
    <message>
        <source>%1, %2, waiting %3, %4</source>
        <translation>%1, %2, ждёт %3, %4</translation>
    </message>
    <message>
        <source>Calls in conversation</source>
        <translation>Звонки в разговоре</translation>
    </message>
    <message>
        <source>Columns</source>
        <translation>Столбцы</translation>
    </message>
    <message>
        <source>Pending requests</source>
        <translation>Ожидающие заявки</translation>
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
    <message>
        <source>The site address must begin with http:// or https://, for example http://www.example.com</source>
        <translation>Адрес сайта должен начинаться с http:// или https://, например http://www.example.com</translation>
    </message>
    <message>
        <source>Type the site address without &quot;/vorlan/&quot; at its end: the program adds it itself.</source>
        <translation>Введите адрес сайта без &quot;/vorlan/&quot; в конце: программа добавляет его сама.</translation>
    </message>
    <message>
        <source>Unsent result</source>
        <translation>Неотправленный результат</translation>
    </message>
    <message>
        <source>A conversation holds a result that the site has not confirmed yet. It is kept and comes back when the conversation is opened again. Quit anyway?</source>
        <translation>В звонке есть результат, который сайт ещё не подтвердил. Он сохранён и вернётся, когда звонок будет открыт снова. Всё равно выйти?</translation>
    </message>
    <message>
        <source>The site said: %1</source>
        <translation>Ответ сайта: %1</translation>
    </message>
    <message>
        <source>Registration</source>
        <translation>Регистрация</translation>
    </message>
    <message>
        <source>The workplace is registered, but Vorlan could not start again from %1. It goes on with the main window; start it again later.</source>
        <translation>Рабочее место зарегистрировано, но Vorlan не смог запуститься заново из %1. Работа продолжается в главном окне; позже запустите программу ещё раз.</translation>
    </message>
    <message>
        <source>Forget history</source>
        <translation>Забыть историю</translation>
    </message>
    <message>
        <source>Erase the history of this workplace&apos;s closed calls from this computer? The site keeps its own record.</source>
        <translation>Стереть с этого компьютера историю закрытых звонков этого рабочего места? На сайте останется его собственная запись.</translation>
    </message>
    <message>
        <source>The site did not answer in time.</source>
        <translation>Сайт не ответил вовремя.</translation>
    </message>
    <message>
        <source>Check the site address, or try again later.</source>
        <translation>Проверьте адрес сайта или повторите попытку позже.</translation>
    </message>
    <message>
        <source>No Vorlan Server answers at this address.</source>
        <translation>По этому адресу не отвечает Vorlan Server.</translation>
    </message>
    <message>
        <source>Check the path in the site address: it is the address of the site&apos;s start page, without &quot;/vorlan/&quot;.</source>
        <translation>Проверьте путь в адресе сайта: это адрес стартовой страницы сайта, без «/vorlan/».</translation>
    </message>
    <message>
        <source>The site answered with HTTP status %1.</source>
        <translation>Сайт ответил с HTTP-статусом %1.</translation>
    </message>
    <message>
        <source>Try again later, or ask the site&apos;s administrator.</source>
        <translation>Повторите попытку позже или обратитесь к администратору сайта.</translation>
    </message>
    <message>
        <source>Nothing answered at this address. Check the site&apos;s name and, if the address has one, its port.</source>
        <translation>По этому адресу ничто не ответило. Проверьте имя сайта и, если в адресе есть порт, порт.</translation>
    </message>
    <message>
        <source>Check the site address.</source>
        <translation>Проверьте адрес сайта.</translation>
    </message>
    <message>
        <source>The site gave no reason. It may be under maintenance: try again later, or ask its administrator.</source>
        <translation>Сайт не назвал причину. Возможно, на нём идут технические работы: повторите попытку позже или обратитесь к его администратору.</translation>
    </message>
</context>
<context>
    <name>SiteStatus</name>
    <message>
        <source>Getting data from the site…</source>
        <translation>Получение данных с сайта…</translation>
    </message>
    <message>
        <source>The site refuses the list since %1: %2</source>
        <translation>Сайт отказывает в списке заявок с %1: %2</translation>
    </message>
    <message>
        <source>Site unreachable since %1: %2</source>
        <translation>Сайт недоступен с %1: %2</translation>
    </message>
    <message>
        <source>Up to date at %1</source>
        <translation>Обновлено в %1</translation>
    </message>
    <message>
        <source>Could not reach the site to take the request (%1). Try again.</source>
        <translation>Не удалось связаться с сайтом, чтобы взять заявку (%1). Попробуйте ещё раз.</translation>
    </message>
    <message>
        <source>Could not reach the site (%1). Try again.</source>
        <translation>Не удалось связаться с сайтом (%1). Попробуйте ещё раз.</translation>
    </message>
    <message>
        <source>The site did not hand over the request: %1</source>
        <translation>Сайт не передал заявку: %1</translation>
    </message>
    <message>
        <source>The site refused the result: %1</source>
        <translation>Сайт не принял результат: %1</translation>
    </message>
    <message>
        <source>no reason given</source>
        <translation>причина не указана</translation>
    </message>
    <message>
        <source>timed out</source>
        <translation>истекло время ожидания</translation>
    </message>
    <message>
        <source>HTTP status %1</source>
        <translation>HTTP-статус %1</translation>
    </message>
    <message>
        <source>The site answers wrongly since %1: %2</source>
        <translation>Сайт отвечает неправильно с %1: %2</translation>
    </message>
    <message>
        <source>the site answered something that is not its API (HTTP %1, %2)</source>
        <translation>сайт ответил не по своему API (HTTP %1, %2)</translation>
    </message>
    <message>
        <source>no content type</source>
        <translation>без типа содержимого</translation>
    </message>
    <message>
        <source>Changes arrive instantly</source>
        <translation>Изменения приходят мгновенно</translation>
    </message>
    <message>
        <source>Instant arrival is down since %1; changes arrive at each minute&apos;s poll</source>
        <translation>Мгновенная доставка не работает с %1; изменения приходят при ежеминутном опросе</translation>
    </message>
    <message>
        <source>no connection: %1</source>
        <translation>нет соединения: %1</translation>
    </message>
</context>
<context>
    <name>TrayPresenter</name>
    <message>
        <source>Show</source>
        <translation>Показать</translation>
    </message>
    <message>
        <source>Get data now</source>
        <translation>Получить данные сейчас</translation>
    </message>
    <message>
        <source>Announce new requests</source>
        <translation>Сообщать о новых заявках</translation>
    </message>
    <message>
        <source>Play a sound for new requests</source>
        <translation>Звук при новых заявках</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Выход</translation>
    </message>
    <message>
        <source>Hide</source>
        <translation>Скрыть</translation>
    </message>
    <message>
        <source>Pending requests: %1</source>
        <translation>Ожидающих заявок: %1</translation>
    </message>
    <message>
        <source>Closed today: %1</source>
        <translation>Закрыто сегодня: %1</translation>
    </message>
    <message>
        <source>Vorlan keeps running</source>
        <translation>Vorlan продолжает работать</translation>
    </message>
    <message>
        <source>New requests still reach you here. To end Vorlan, choose Quit in this icon&apos;s menu.</source>
        <translation>Новые заявки по-прежнему приходят сюда. Чтобы завершить Vorlan, выберите «Выход» в меню этого значка.</translation>
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
