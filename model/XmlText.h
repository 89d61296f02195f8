#pragma once

#include <QDomDocument>
#include <QDomElement>
#include <QString>

namespace model {

// The text with every character that XML 1.0 does not allow removed (C0 controls
// other than TAB, LF and CR, lone surrogates, U+FFFE and U+FFFF).
QString XmlSafeText(const QString& text);

// Parses an XML file into a document. Throws XmlLoadError naming the file, the
// line and the parser's message when the file is missing, malformed or nested
// deeper than maxDepth elements (such files are refused before a DOM is built).
QDomDocument LoadXmlDocument(const QString& path, int maxDepth = 64);

// The same for text already in memory; what names the source in messages.
QDomDocument ParseXmlDocument(const QByteArray& data, const QString& what, int maxDepth = 64);

// Text content ready for writing: forbidden characters dropped and every CR LF
// or lone CR turned into LF (what a parser reports anyway), so that the file's
// line ends can be made CR LF without touching values.
QString XmlWritableText(const QString& text);

} // namespace model
