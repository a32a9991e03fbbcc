#include "einvoice/pdfa3.h"

#include "einvoice/ciixml.h"

#include <QDir>
#include <QSaveFile>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFEFStreamObjectHelper.hh>
#include <qpdf/QPDFEmbeddedFileDocumentHelper.hh>
#include <qpdf/QPDFFileSpecObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>
#include <qpdf/QPDFLogger.hh>
#include <qpdf/Pl_OStream.hh>

#include <sstream>

namespace pdfa3 {

namespace {

QString xmlEscaped(const QString &text)
{
    return text.toHtmlEscaped();
}

// 2026-12-07T14:30:00+01:00
QString xmpDate(const QDateTime &when)
{
    return when.toOffsetFromUtc(when.offsetFromUtc()).toString(Qt::ISODate);
}

std::string std8(const QString &s)
{
    return s.toStdString();
}

QString infoText(QPDFObjectHandle info, const char *key, const QString &fallback)
{
    if (!info.isDictionary() || !info.hasKey(key))
        return fallback;
    QPDFObjectHandle value = info.getKey(key);
    return value.isString() ? QString::fromStdString(value.getUTF8Value()) : fallback;
}

} // namespace

QString pdfDate(const QDateTime &when)
{
    const int offset = when.offsetFromUtc() / 60;
    const QChar sign = offset < 0 ? QLatin1Char('-') : QLatin1Char('+');
    const int magnitude = std::abs(offset);
    return QStringLiteral("D:%1%2%3'%4'")
        .arg(when.toString(QStringLiteral("yyyyMMddHHmmss")), sign)
        .arg(magnitude / 60, 2, 10, QLatin1Char('0'))
        .arg(magnitude % 60, 2, 10, QLatin1Char('0'));
}

QByteArray metadata(const QString &title, const QString &creatorTool, const QString &producer, const QDateTime &when)
{
    // The four properties a receiving program reads to find the invoice,
    // with the description of their schema that the archive form asks for
    // every property outside its own schemas.
    struct Property
    {
        const char *name;
        const char *description;
        QString value;
    };
    const Property properties[] = {
        { "DocumentFileName", "The name of the embedded XML document", einvoice::attachmentName },
        { "DocumentType", "The type of the hybrid document in capital letters, e.g. INVOICE or ORDER",
          QStringLiteral("INVOICE") },
        { "Version", "The actual version of the standard applying to the embedded XML document",
          QStringLiteral("1.0") },
        { "ConformanceLevel", "The conformance level of the embedded XML document", QStringLiteral("EN 16931") },
    };
    QString schemaProperties;
    QString values;
    for (const Property &p : properties) {
        schemaProperties += QStringLiteral("        <rdf:li rdf:parseType=\"Resource\">\n"
                                           "         <pdfaProperty:name>%1</pdfaProperty:name>\n"
                                           "         <pdfaProperty:valueType>Text</pdfaProperty:valueType>\n"
                                           "         <pdfaProperty:category>external</pdfaProperty:category>\n"
                                           "         <pdfaProperty:description>%2</pdfaProperty:description>\n"
                                           "        </rdf:li>\n")
                                .arg(QLatin1String(p.name), QLatin1String(p.description));
        values += QStringLiteral("   <fx:%1>%2</fx:%1>\n").arg(QLatin1String(p.name), xmlEscaped(p.value));
    }
    const QString date = xmpDate(when);
    const QString xmp =
        QStringLiteral("<?xpacket begin=\"\uFEFF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
                       "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n"
                       " <rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
                       "  <rdf:Description rdf:about=\"\" xmlns:pdfaid=\"http://www.aiim.org/pdfa/ns/id/\">\n"
                       "   <pdfaid:part>3</pdfaid:part>\n"
                       "   <pdfaid:conformance>B</pdfaid:conformance>\n"
                       "  </rdf:Description>\n"
                       "  <rdf:Description rdf:about=\"\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n"
                       "   <dc:format>application/pdf</dc:format>\n"
                       "   <dc:title><rdf:Alt><rdf:li xml:lang=\"x-default\">%1</rdf:li></rdf:Alt></dc:title>\n"
                       "  </rdf:Description>\n"
                       "  <rdf:Description rdf:about=\"\" xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\">\n"
                       "   <xmp:CreatorTool>%2</xmp:CreatorTool>\n"
                       "   <xmp:CreateDate>%4</xmp:CreateDate>\n"
                       "   <xmp:ModifyDate>%4</xmp:ModifyDate>\n"
                       "   <xmp:MetadataDate>%4</xmp:MetadataDate>\n"
                       "  </rdf:Description>\n"
                       "  <rdf:Description rdf:about=\"\" xmlns:pdf=\"http://ns.adobe.com/pdf/1.3/\">\n"
                       "   <pdf:Producer>%3</pdf:Producer>\n"
                       "  </rdf:Description>\n"
                       "  <rdf:Description rdf:about=\"\"\n"
                       "    xmlns:pdfaExtension=\"http://www.aiim.org/pdfa/ns/extension/\"\n"
                       "    xmlns:pdfaSchema=\"http://www.aiim.org/pdfa/ns/schema#\"\n"
                       "    xmlns:pdfaProperty=\"http://www.aiim.org/pdfa/ns/property#\">\n"
                       "   <pdfaExtension:schemas>\n"
                       "    <rdf:Bag>\n"
                       "     <rdf:li rdf:parseType=\"Resource\">\n"
                       "      <pdfaSchema:schema>Factur-X PDFA Extension Schema</pdfaSchema:schema>\n"
                       "      <pdfaSchema:namespaceURI>urn:factur-x:pdfa:CrossIndustryDocument:invoice:1p0#</pdfaSchema:namespaceURI>\n"
                       "      <pdfaSchema:prefix>fx</pdfaSchema:prefix>\n"
                       "      <pdfaSchema:property>\n"
                       "       <rdf:Seq>\n"
                       "%5"
                       "       </rdf:Seq>\n"
                       "      </pdfaSchema:property>\n"
                       "     </rdf:li>\n"
                       "    </rdf:Bag>\n"
                       "   </pdfaExtension:schemas>\n"
                       "  </rdf:Description>\n"
                       "  <rdf:Description rdf:about=\"\" xmlns:fx=\"urn:factur-x:pdfa:CrossIndustryDocument:invoice:1p0#\">\n"
                       "%6"
                       "  </rdf:Description>\n"
                       " </rdf:RDF>\n"
                       "</x:xmpmeta>\n"
                       "<?xpacket end=\"w\"?>")
            .arg(xmlEscaped(title), xmlEscaped(creatorTool), xmlEscaped(producer), date, schemaProperties, values);
    return xmp.toUtf8();
}

std::optional<QByteArray> attachInvoice(const QByteArray &pdfA1b, const QByteArray &xml, const QDateTime &when,
                                        QString *error)
{
    try {
        QPDF pdf;
        // Warnings go to the message below, not to the terminal.
        std::ostringstream ignored;
        pdf.setLogger(QPDFLogger::create());
        pdf.getLogger()->setWarn(std::make_shared<Pl_OStream>("warnings", ignored));
        pdf.processMemoryFile("receipt", pdfA1b.constData(), size_t(pdfA1b.size()));

        const std::string date = std8(pdfDate(when));
        auto stream = QPDFEFStreamObjectHelper::createEFStream(pdf, xml.toStdString());
        stream.setSubtype("text/xml").setCreationDate(date).setModDate(date);
        auto attachment = QPDFFileSpecObjectHelper::createFileSpec(pdf, std8(einvoice::attachmentName), stream);
        attachment.setDescription("Rechnung");
        QPDFObjectHandle attachmentObject = attachment.getObjectHandle();
        attachmentObject.replaceKey("/AFRelationship", QPDFObjectHandle::newName("/Alternative"));
        QPDFEmbeddedFileDocumentHelper(pdf).replaceEmbeddedFile(std8(einvoice::attachmentName), attachment);

        QPDFObjectHandle root = pdf.getRoot();
        root.replaceKey("/AF", QPDFObjectHandle::newArray(std::vector<QPDFObjectHandle> { attachmentObject }));

        // The document information and the metadata must tell the same.
        QPDFObjectHandle trailer = pdf.getTrailer();
        QPDFObjectHandle info = trailer.getKey("/Info");
        if (!info.isDictionary()) {
            info = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
            trailer.replaceKey("/Info", info);
        }
        const QString title = infoText(info, "/Title", QStringLiteral("Quittung"));
        const QString creator = infoText(info, "/Creator", QStringLiteral("Zettelfix"));
        const QString producer = infoText(info, "/Producer", QStringLiteral("Zettelfix"));
        info.replaceKey("/Title", QPDFObjectHandle::newUnicodeString(std8(title)));
        info.replaceKey("/Creator", QPDFObjectHandle::newUnicodeString(std8(creator)));
        info.replaceKey("/Producer", QPDFObjectHandle::newUnicodeString(std8(producer)));
        info.replaceKey("/CreationDate", QPDFObjectHandle::newString(date));
        info.replaceKey("/ModDate", QPDFObjectHandle::newString(date));

        QPDFObjectHandle xmp = QPDFObjectHandle::newStream(&pdf, metadata(title, creator, producer, when).toStdString());
        xmp.getDict().replaceKey("/Type", QPDFObjectHandle::newName("/Metadata"));
        xmp.getDict().replaceKey("/Subtype", QPDFObjectHandle::newName("/XML"));
        root.replaceKey("/Metadata", xmp);

        QPDFWriter writer(pdf);
        writer.setOutputMemory();
        writer.setMinimumPDFVersion("1.7");
        // The metadata stays readable as it is; the page's streams are
        // compressed already.
        writer.setCompressStreams(false);
        writer.setObjectStreamMode(qpdf_o_disable);
        // The archive form wants a line end before every "endstream".
        writer.setNewlineBeforeEndstream(true);
        writer.write();
        std::unique_ptr<Buffer> buffer(writer.getBuffer());
        return QByteArray(reinterpret_cast<const char *>(buffer->getBuffer()), qsizetype(buffer->getSize()));
    } catch (const std::exception &e) {
        if (error)
            *error = QStringLiteral("Die Seite der Quittung konnte nicht zur E-Rechnung gemacht werden (%1).")
                         .arg(QString::fromLocal8Bit(e.what()));
        return std::nullopt;
    }
}

bool writeWhole(const QString &path, const QByteArray &bytes, QString *error)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    if (error)
        *error = QStringLiteral("Die Datei „%1“ konnte nicht geschrieben werden (%2).")
                     .arg(QDir::toNativeSeparators(path), file.errorString());
    return false;
}

} // namespace pdfa3
