import QtQuick 2.5
import QtTest 1.2

TestCase {
    id: testCase
    name: "Translation"
    when: windowShown

    readonly property bool russian: expectedLanguage === "ru"

    function create(url) {
        var component = Qt.createComponent(url)
        compare(component.status, Component.Ready, component.errorString())
        var object = createTemporaryObject(component, testCase)
        verify(object, url)
        return object
    }

    function texts(item) {
        var found = []
        if (item.text !== undefined && typeof item.text === "string")
            found.push(item.text)
        for (var i = 0; i < item.children.length; ++i)
            found = found.concat(texts(item.children[i]))
        return found
    }

    function expected(english, russianText) {
        return russian ? russianText : english
    }

    function initTestCase() {
        // Guards against a run whose locale did not reach the program.
        verify(expectedLanguage === "ru" || expectedLanguage === "en", expectedLanguage)
        if (russian)
            compare(systemLocale, "ru_RU")
        else
            verify(systemLocale !== "ru_RU", systemLocale)
    }

    function test_about() {
        var about = create("qrc:/about.qml")
        compare(about.title, expected("About Vorlan", "О программе"))
        compare(findChild(about.contentItem, "apiVersion").text, "API v1")
        compare(findChild(about.contentItem, "productName").text, "Vorlan Client v0.1-beta")
    }

    function test_conversationDialog() {
        var dialog = create("qrc:/ConversationDialog.qml")
        compare(dialog.title, expected("Conversation", "Звонок"))
        compare(findChild(dialog.contentItem, "closeButton").text,
                expected("Close conversation", "Закрыть звонок"))
        compare(findChild(dialog.contentItem, "notAcceptedNotice").text,
                expected("The site did not accept the result. You can send it again.",
                         "Сайт не принял результат. Вы можете отправить его ещё раз."))
        compare(findChild(dialog.contentItem, "draftNotice").text,
                expected("The draft could not be saved; the text is kept only while this dialog is open.",
                         "Черновик не удалось сохранить; текст хранится, только пока это окно открыто."))
        var shown = texts(dialog.contentItem)
        var labels = [expected("Name: ", "Имя:"), expected("Phone: ", "Телефон:"),
                      expected("Describe call result", "Опишите результат звонка")]
        for (var i = 0; i < labels.length; ++i)
            verify(shown.indexOf(labels[i]) >= 0, labels[i])
    }

    function test_operatorIdKeepsEnglishTitle() {
        var dialog = create("qrc:/OperatorID.qml")
        compare(dialog.title, "Operator ID")
        var shown = texts(dialog.contentItem)
        verify(shown.indexOf("Уникальный ID рабочего места") >= 0)
        verify(shown.indexOf("Название рабочего места") >= 0)
        verify(shown.indexOf("Отмена") >= 0)
    }

    function test_workplaceRegistration() {
        var form = create("qrc:/WorkplaceRegistration.qml")
        compare(form.title, expected("Workplace registration", "Регистрация рабочего места"))
        compare(findChild(form.contentItem, "registerButton").text,
                expected("Register", "Зарегистрировать"))
        compare(findChild(form.contentItem, "siteUrl").label,
                expected("Enter your site URL (i.e. http://www.example.com)",
                         "Введите URL вашего сайта (например http://www.example.com)"))
        compare(findChild(form.contentItem, "workplaseName").label,
                expected("Enter your workplace description (need for register on your Vorlan server)",
                         "Введите описание/название рабочего места \n(требуется для регистрации на вашем Vorlan сервере)"))
        compare(findChild(form.contentItem, "vorlanSrvPasswd").label,
                expected("Enter you Vorlan Server password", "Введите пароль от Vorlan сервера"))

        // The plain-http warning, longer in Russian, stays clear of the button below it.
        findChild(form.contentItem, "siteUrl").setInputText("http://shop.example")
        var warning = findChild(form.contentItem, "plainHttpWarning")
        var button = findChild(form.contentItem, "registerButton")
        verify(warning.visible)
        verify(warning.y + warning.height < button.y, (warning.y + warning.height) + " >= " + button.y)
    }

    function test_strings() {
        var strings = create("qrc:/strings.qml")
        compare([strings.str_APPLICATION, strings.str_SERVER, strings.str_GETDATA,
                 strings.str_QUITAPPLICATION, strings.str_HELP, strings.str_ABOUT],
                russian ? ["Приложение", "Сервер", "Получить данные", "Закрыть программу",
                           "Помощь", "О программе..."]
                        : ["Application", "Server", "Get data", "Quit application", "Help",
                           "About..."])
    }

    function test_fileSelectField() {
        var field = create("qrc:/FileSelectField.qml")
        compare(field.label, expected("Select file", "Выбор файла"))
        compare(findChild(field, "fileDialog").title,
                expected("Please choose a file", "Выберите файл"))
    }
}
