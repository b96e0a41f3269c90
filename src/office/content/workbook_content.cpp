#include "office/content/workbook_content.h"

#include "office/content/compound_file.h"
#include "office/content/zip_archive.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <QXmlStreamReader>
#include <algorithm>
#include <optional>

namespace lotdraw {

namespace {

// The start of a file, enough for every signature looked at and the first entry of a zip.
constexpr qint64 kHeadSize = 4096;
// The content types and the relationships of a workbook package take a few kilobytes; parts
// larger than this are not read.
constexpr qint64 kMaxPackagePartSize = 4 * 1024 * 1024;

// The relationship from a package to its main part, in the transitional and the strict form.
constexpr QLatin1StringView kMainDocumentRelationships[] = {
    QLatin1StringView("http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument"),
    QLatin1StringView("http://purl.oclc.org/ooxml/officeDocument/relationships/officeDocument"),
};

// The content types of the main part of a spreadsheet package: workbook and template, with and
// without macros.
constexpr QLatin1StringView kWorkbookContentTypes[] = {
    QLatin1StringView("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"),
    QLatin1StringView("application/vnd.openxmlformats-officedocument.spreadsheetml.template.main+xml"),
    QLatin1StringView("application/vnd.ms-excel.sheet.macroEnabled.main+xml"),
    QLatin1StringView("application/vnd.ms-excel.template.macroEnabled.main+xml"),
};

// An OpenDocument package begins with an entry "mimetype", stored uncompressed, whose content is
// the package's media type, so the first local header tells the kind without reading further.
bool isOpenDocumentSpreadsheet(const QByteArray &head) {
    const auto first = firstStoredEntry(head);
    return first && first->first == "mimetype" && first->second == "application/vnd.oasis.opendocument.spreadsheet";
}

// An Office Open XML package encrypted with a password is a compound file holding the encryption
// parameters and the encrypted zip.
bool holdsEncryptedPackage(QFile &file) {
    const std::optional<QStringList> names = compoundFileEntryNames(file);
    return names && names->contains(QStringLiteral("EncryptionInfo")) &&
           names->contains(QStringLiteral("EncryptedPackage"));
}

// The zip entry of a part, by its name without the leading slash; part names compare without
// regard to case.
const ZipEntry *findPart(const QList<ZipEntry> &entries, const QString &partName) {
    const auto found = std::find_if(entries.begin(), entries.end(), [&partName](const ZipEntry &entry) {
        return QString::fromUtf8(entry.name).compare(partName, Qt::CaseInsensitive) == 0;
    });
    return found == entries.end() ? nullptr : &*found;
}

// A part name as written in the package (absolute, or relative to the package's root) without
// its leading slash.
QString partNameOf(const QString &reference) {
    return QUrl(QStringLiteral("package:///")).resolved(QUrl(reference)).path().mid(1);
}

// The main part the package's relationships name: the empty text when they name none, nothing
// when they cannot be read.
std::optional<QString> mainPartName(const QByteArray &relationships) {
    QXmlStreamReader xml(relationships);
    QString target;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != u"Relationship" || !target.isEmpty()) {
            continue;
        }
        const QXmlStreamAttributes attributes = xml.attributes();
        const auto type = attributes.value(QLatin1StringView("Type"));
        if (std::find(std::begin(kMainDocumentRelationships), std::end(kMainDocumentRelationships), type) !=
                std::end(kMainDocumentRelationships) &&
            attributes.value(QLatin1StringView("TargetMode")) != u"External") {
            target = attributes.value(QLatin1StringView("Target")).toString();
        }
    }
    if (xml.hasError()) {
        return std::nullopt;
    }
    return target.isEmpty() ? QString() : partNameOf(target);
}

// The content type the package gives `partName`: its own, or else the one of its extension. The
// empty text when it has none, nothing when the content types cannot be read.
std::optional<QString> contentTypeOf(const QByteArray &contentTypes, const QString &partName) {
    const QString extension = partName.section(u'/', -1).section(u'.', -1);
    QXmlStreamReader xml(contentTypes);
    QString byPart;
    QString byExtension;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) {
            continue;
        }
        const QXmlStreamAttributes attributes = xml.attributes();
        if (xml.name() == u"Override" && partNameOf(attributes.value(QLatin1StringView("PartName")).toString())
                                                 .compare(partName, Qt::CaseInsensitive) == 0) {
            byPart = attributes.value(QLatin1StringView("ContentType")).toString();
        } else if (xml.name() == u"Default" &&
                   attributes.value(QLatin1StringView("Extension")).compare(extension, Qt::CaseInsensitive) == 0) {
            byExtension = attributes.value(QLatin1StringView("ContentType")).toString();
        }
    }
    if (xml.hasError()) {
        return std::nullopt;
    }
    return byPart.isEmpty() ? byExtension : byPart;
}

bool isWorkbookContentType(const QString &contentType) {
    return std::any_of(
        std::begin(kWorkbookContentTypes), std::end(kWorkbookContentTypes),
        [&contentType](QLatin1StringView type) { return contentType.compare(type, Qt::CaseInsensitive) == 0; });
}

// An Office Open XML package is told by its relationships, which name its main part, and by its
// content types, which say what that part is; the part may lie anywhere in the zip.
WorkbookContent packageContent(QFile &file, const QList<ZipEntry> &entries) {
    const ZipEntry *typesEntry = findPart(entries, QStringLiteral("[Content_Types].xml"));
    const ZipEntry *relationshipsEntry = findPart(entries, QStringLiteral("_rels/.rels"));
    if (typesEntry == nullptr || relationshipsEntry == nullptr) {
        return WorkbookContent::Other;
    }
    const std::optional<QByteArray> types = readZipEntry(file, *typesEntry, kMaxPackagePartSize);
    const std::optional<QByteArray> relationships = readZipEntry(file, *relationshipsEntry, kMaxPackagePartSize);
    const std::optional<QString> mainPart = relationships ? mainPartName(*relationships) : std::nullopt;
    if (!types || !mainPart) {
        return WorkbookContent::Damaged;
    }
    if (mainPart->isEmpty()) {
        return WorkbookContent::Other;
    }
    const std::optional<QString> contentType = contentTypeOf(*types, *mainPart);
    if (!contentType) {
        return WorkbookContent::Damaged;
    }
    if (!isWorkbookContentType(*contentType)) {
        return WorkbookContent::Other;
    }
    return findPart(entries, *mainPart) != nullptr ? WorkbookContent::OfficeOpenXml : WorkbookContent::Damaged;
}

WorkbookContent compoundFileContent(QFile &file) {
    return holdsEncryptedPackage(file) ? WorkbookContent::EncryptedOfficeOpenXml : WorkbookContent::Excel97;
}

WorkbookContent zipContent(QFile &file, const QByteArray &head) {
    if (isOpenDocumentSpreadsheet(head)) {
        return WorkbookContent::OpenDocument;
    }
    const std::optional<QList<ZipEntry>> entries = readZipDirectory(file);
    return entries ? packageContent(file, *entries) : WorkbookContent::Damaged;
}

} // namespace

WorkbookContent workbookContent(const QString &path) {
    // Never open anything but a plain file: a pipe would block the read.
    if (!QFileInfo(path).isFile()) {
        return WorkbookContent::Other;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return WorkbookContent::Other;
    }
    const QByteArray head = file.read(kHeadSize);
    if (hasCompoundFileSignature(head)) {
        return compoundFileContent(file);
    }
    // A BIFF beginning-of-file record: 0x0009, 0x0209, 0x0409 or 0x0809, little-endian.
    if (head.size() >= 2 && head.at(0) == '\x09' &&
        (head.at(1) == '\x00' || head.at(1) == '\x02' || head.at(1) == '\x04' || head.at(1) == '\x08')) {
        return WorkbookContent::Excel97;
    }
    if (!startsLikeZip(head)) {
        return WorkbookContent::Other;
    }
    return zipContent(file, head);
}

} // namespace lotdraw
