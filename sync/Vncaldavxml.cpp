#include "sync/Vncaldavxml.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace {

// Deeper nesting than any DAV answer has is taken as an attack on the stack.
constexpr int kMaxDepth = 48;

// A small element tree: the readers below look at elements out of order.
struct TvnXmlNode {
    QString Ns, Name, Text;
    QString NameAttribute;  // <C:comp name="VEVENT"/>
    std::vector<TvnXmlNode> Kids;

    bool Is(const QString& ns, const QString& name) const { return Ns == ns && Name == name; }
    const TvnXmlNode* Child(const QString& ns, const QString& name) const {
        for (const TvnXmlNode& kid : Kids)
            if (kid.Is(ns, name)) return &kid;
        return nullptr;
    }
    QString ChildText(const QString& ns, const QString& name) const {
        const TvnXmlNode* kid = Child(ns, name);
        return kid ? kid->Text.trimmed() : QString();
    }
};

bool ReadElement(QXmlStreamReader& xml, TvnXmlNode* node, int depth) {
    if (depth > kMaxDepth) return false;
    node->Ns = xml.namespaceUri().toString();
    node->Name = xml.name().toString();
    node->NameAttribute = xml.attributes().value(QLatin1String("name")).toString();
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement()) return true;
        if (xml.isCharacters()) node->Text += xml.text();
        if (xml.isStartElement()) {
            node->Kids.emplace_back();
            if (!ReadElement(xml, &node->Kids.back(), depth + 1)) return false;
        }
    }
    return false;
}

bool ParseXml(const QByteArray& body, TvnXmlNode* root) {
    QXmlStreamReader xml(body);
    while (!xml.atEnd() && !xml.isStartElement())
        xml.readNext();
    if (!xml.isStartElement() || !ReadElement(xml, root, 0)) return false;
    while (!xml.atEnd())
        xml.readNext();  // trailing garbage is an error too
    return !xml.hasError();
}

// "HTTP/1.1 404 Not Found" -> 404; 0 when unreadable.
int StatusOf(const QString& line) {
    const QStringList parts = line.simplified().split(QLatin1Char(' '));
    return parts.size() >= 2 ? parts[1].toInt() : 0;
}

void ReadProp(const TvnXmlNode& prop, TvnDavProps* out) {
    if (const TvnXmlNode* type = prop.Child(kDavNs, QStringLiteral("resourcetype"))) {
        out->Collection = type->Child(kDavNs, QStringLiteral("collection")) != nullptr;
        out->Calendar = type->Child(kCalDavNs, QStringLiteral("calendar")) != nullptr;
    }
    out->DisplayName = prop.ChildText(kDavNs, QStringLiteral("displayname"));
    if (const TvnXmlNode* p = prop.Child(kDavNs, QStringLiteral("current-user-principal")))
        out->Principal = p->ChildText(kDavNs, QStringLiteral("href"));
    if (const TvnXmlNode* h = prop.Child(kCalDavNs, QStringLiteral("calendar-home-set")))
        out->Home = h->ChildText(kDavNs, QStringLiteral("href"));
    out->SyncToken = prop.ChildText(kDavNs, QStringLiteral("sync-token"));
    out->ETag = prop.ChildText(kDavNs, QStringLiteral("getetag")).toUtf8();
    if (const TvnXmlNode* data = prop.Child(kCalDavNs, QStringLiteral("calendar-data"))) {
        out->HasData = true;
        out->Data = data->Text.toUtf8();
    }
    const auto set = prop.Child(kCalDavNs, QStringLiteral("supported-calendar-component-set"));
    if (set) {
        out->HasComponents = true;
        for (const TvnXmlNode& comp : set->Kids)
            if (comp.Is(kCalDavNs, QStringLiteral("comp")))
                out->Components << comp.NameAttribute.trimmed().toUpper();
    }
}

bool ReadResponse(const TvnXmlNode& response, TvnDavItem* item) {
    item->Href = response.ChildText(kDavNs, QStringLiteral("href"));
    if (item->Href.isEmpty()) return false;
    item->Status = StatusOf(response.ChildText(kDavNs, QStringLiteral("status")));
    for (const TvnXmlNode& kid : response.Kids) {
        if (!kid.Is(kDavNs, QStringLiteral("propstat"))) continue;
        const int status = StatusOf(kid.ChildText(kDavNs, QStringLiteral("status")));
        const TvnXmlNode* prop = kid.Child(kDavNs, QStringLiteral("prop"));
        if (status < 200 || status >= 300 || !prop) continue;
        item->AnyOk = true;
        ReadProp(*prop, &item->Props);
    }
    return true;
}

}  // namespace

QByteArray DavPropfindBody(const std::vector<TvnDavName>& props) {
    QByteArray body;
    QXmlStreamWriter xml(&body);
    xml.writeStartDocument();
    xml.writeNamespace(kDavNs, QStringLiteral("D"));
    xml.writeNamespace(kCalDavNs, QStringLiteral("C"));
    xml.writeStartElement(kDavNs, QStringLiteral("propfind"));
    xml.writeStartElement(kDavNs, QStringLiteral("prop"));
    for (const TvnDavName& name : props)
        xml.writeEmptyElement(name.first, name.second);
    xml.writeEndDocument();
    return body;
}

QByteArray DavSyncCollectionBody(const QString& token) {
    QByteArray body;
    QXmlStreamWriter xml(&body);
    xml.writeStartDocument();
    xml.writeNamespace(kDavNs, QStringLiteral("D"));
    xml.writeStartElement(kDavNs, QStringLiteral("sync-collection"));
    xml.writeTextElement(kDavNs, QStringLiteral("sync-token"), token);
    xml.writeTextElement(kDavNs, QStringLiteral("sync-level"), QStringLiteral("1"));
    xml.writeStartElement(kDavNs, QStringLiteral("prop"));
    xml.writeEmptyElement(kDavNs, QStringLiteral("getetag"));
    xml.writeEndDocument();
    return body;
}

QByteArray DavMultigetBody(const std::vector<QString>& hrefs) {
    QByteArray body;
    QXmlStreamWriter xml(&body);
    xml.writeStartDocument();
    xml.writeNamespace(kDavNs, QStringLiteral("D"));
    xml.writeNamespace(kCalDavNs, QStringLiteral("C"));
    xml.writeStartElement(kCalDavNs, QStringLiteral("calendar-multiget"));
    xml.writeStartElement(kDavNs, QStringLiteral("prop"));
    xml.writeEmptyElement(kDavNs, QStringLiteral("getetag"));
    xml.writeEmptyElement(kCalDavNs, QStringLiteral("calendar-data"));
    xml.writeEndElement();
    for (const QString& href : hrefs)
        xml.writeTextElement(kDavNs, QStringLiteral("href"), href);
    xml.writeEndDocument();
    return body;
}

bool DavParseMultistatus(const QByteArray& body, TvnDavMultistatus* out) {
    TvnXmlNode root;
    if (!ParseXml(body, &root) || !root.Is(kDavNs, QStringLiteral("multistatus"))) return false;
    out->SyncToken = root.ChildText(kDavNs, QStringLiteral("sync-token"));
    for (const TvnXmlNode& kid : root.Kids) {
        if (!kid.Is(kDavNs, QStringLiteral("response"))) continue;
        TvnDavItem item;
        if (!ReadResponse(kid, &item)) return false;
        out->Items.push_back(std::move(item));
    }
    return true;
}

bool DavErrorNames(const QByteArray& body, const QString& condition) {
    TvnXmlNode root;
    return ParseXml(body, &root) && root.Is(kDavNs, QStringLiteral("error")) &&
           root.Child(kDavNs, condition) != nullptr;
}
