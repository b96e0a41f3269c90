#pragma once

#include <QString>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/uno/Exception.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <initializer_list>
#include <rtl/ustring.hxx>

namespace lotdraw::uno {

[[nodiscard]] inline rtl::OUString toOUString(const QString &text) {
    return rtl::OUString(reinterpret_cast<const sal_Unicode *>(text.utf16()), static_cast<sal_Int32>(text.size()));
}

[[nodiscard]] inline QString toQString(const rtl::OUString &text) {
    return QString(reinterpret_cast<const QChar *>(text.getStr()), text.getLength());
}

// One argument of a media descriptor, and a descriptor of them.
[[nodiscard]] css::beans::PropertyValue property(const char *name, const css::uno::Any &value);
[[nodiscard]] css::uno::Sequence<css::beans::PropertyValue>
properties(std::initializer_list<css::beans::PropertyValue> values);

// A file URL for a local path, as LibreOffice takes it (UTF-8, percent-encoded).
[[nodiscard]] rtl::OUString fileUrl(const QString &path);

// The UNO context of this process, bootstrapped once on the office's full type library (without
// it the first remote call crashes inside the bridge). Throws SpreadsheetError.
[[nodiscard]] css::uno::Reference<css::uno::XComponentContext> localContext(const QString &officeProgramFolder);

// Text for the operator about an unexpected UNO exception.
[[nodiscard]] QString describe(const css::uno::Exception &exception);

} // namespace lotdraw::uno
