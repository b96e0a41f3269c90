#include "office/uno/uno_support.h"

#include "office/office_messages.h"
#include "office/process/process_control.h"
#include "spreadsheet/spreadsheet_error.h"

#include <QUrl>
#include <algorithm>
#include <cppuhelper/bootstrap.hxx>
#include <mutex>
#include <rtl/bootstrap.hxx>

namespace lotdraw::uno {

css::beans::PropertyValue property(const char *name, const css::uno::Any &value) {
    css::beans::PropertyValue result;
    result.Name = rtl::OUString::createFromAscii(name);
    result.Value = value;
    return result;
}

css::uno::Sequence<css::beans::PropertyValue> properties(std::initializer_list<css::beans::PropertyValue> values) {
    css::uno::Sequence<css::beans::PropertyValue> result(static_cast<sal_Int32>(values.size()));
    std::copy(values.begin(), values.end(), result.getArray());
    return result;
}

rtl::OUString fileUrl(const QString &path) {
    return toOUString(QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded));
}

css::uno::Reference<css::uno::XComponentContext> localContext(const QString &officeProgramFolder) {
    static std::mutex mutex;
    static css::uno::Reference<css::uno::XComponentContext> context;
    const std::lock_guard lock(mutex);
    if (!context.is()) {
        // The bridge writes to the office's pipe without MSG_NOSIGNAL: when the office dies, the
        // next write would raise SIGPIPE and end the whole program instead of failing the call.
        ignoreBrokenPipes();
        try {
            rtl::Bootstrap::set("URE_BOOTSTRAP", toOUString(QStringLiteral("vnd.sun.star.pathname:") +
                                                            officeProgramFolder + QStringLiteral("/fundamentalrc")));
            context = cppu::defaultBootstrap_InitialComponentContext();
        } catch (const css::uno::Exception &exception) {
            throw SpreadsheetError(office_messages::cannotStart(describe(exception)));
        }
    }
    return context;
}

QString describe(const css::uno::Exception &exception) {
    const QString message = toQString(exception.Message).trimmed();
    return message.isEmpty() ? QStringLiteral("电子表格程序报告了一个错误") : message;
}

} // namespace lotdraw::uno
