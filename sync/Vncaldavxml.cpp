#include "sync/Vncaldavxml.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace {

// Deeper nesting than any DAV answer has is refused: the reader keeps a
// record per open element.
constexpr int kMaxDepth = 48;

// QXmlStreamReader over an answer, walked element by element, keeping only
// what the caller takes: no tree of the whole answer is ever built, and the
// body is handed to the reader a piece at a time, so that it never decodes
// more than a piece. A DTD is refused outright, so that no entity of any kind
// is expanded.
class TvnDavReader {
public:
    explicit TvnDavReader(const QByteArray& body) : body_(body) {}

    // The next token; false at the end, on an error, or once stopped.
    bool Next() {
        if (xml_.tokenType() == QXmlStreamReader::EndDocument) return false;
        if (xml_.hasError() && !Starved()) return false;
        do {
            if (Starved()) {
                xml_.addData(body_.mid(fed_, kPiece));
                fed_ += kPiece;
            }
            xml_.readNext();
        } while (Starved());
        if (xml_.tokenType() == QXmlStreamReader::DTD) Fail();
        if (xml_.isStartElement() && ++depth_ > kMaxDepth) Fail();
        if (xml_.isEndElement()) --depth_;
        return !xml_.hasError();
    }
    void Fail() { xml_.raiseError(QStringLiteral("not a DAV answer")); }

    bool Is(const QString& ns, const QString& name) const {
        return xml_.namespaceUri() == ns && xml_.name() == name;
    }
    QString Attribute(const QString& name) const {
        return xml_.attributes().value(name).toString();
    }

    // Moves to the document's element; false unless it is the one named.
    bool Root(const QString& ns, const QString& name) {
        while (Next() && !xml_.isStartElement()) {
        }
        return xml_.isStartElement() && Is(ns, name);
    }

    // Calls child at the start of each child element of the current element
    // and reads on to the current element's end; child may read its element
    // or leave it.
    template <class F>
    void Children(F&& child) {
        const int level = depth_;
        while (Next()) {
            if (xml_.isEndElement() && depth_ < level) return;
            if (xml_.isStartElement() && depth_ == level + 1) child();
        }
    }

    // The text directly inside the current element; reads to its end.
    QString Text() {
        QString text;
        const int level = depth_;
        while (Next()) {
            if (xml_.isEndElement() && depth_ < level) break;
            if (xml_.isCharacters() && depth_ == level) text += xml_.text();
        }
        return text;
    }

    // The text of the first DAV:href inside the current element.
    QString Href() {
        QString href;
        Children([&] {
            if (href.isEmpty() && Is(kDavNs, QStringLiteral("href"))) href = Text().trimmed();
        });
        return href;
    }

    // Reads to the end; true when the whole answer was well-formed.
    bool End() {
        while (Next()) {
        }
        return !xml_.hasError();
    }

private:
    static constexpr qsizetype kPiece = 64 * 1024;

    // Waiting for more of the body, and there is more.
    bool Starved() const {
        return xml_.error() == QXmlStreamReader::PrematureEndOfDocumentError && fed_ < body_.size();
    }

    const QByteArray& body_;
    qsizetype fed_ = 0;
    QXmlStreamReader xml_;
    int depth_ = 0;
};

// "HTTP/1.1 404 Not Found" -> 404; 0 when unreadable.
int StatusOf(const QString& line) {
    const QStringList parts = line.simplified().split(QLatin1Char(' '));
    return parts.size() >= 2 ? parts[1].toInt() : 0;
}

void ReadResourceType(TvnDavReader& r, TvnDavProps* out) {
    r.Children([&] {
        if (r.Is(kDavNs, QStringLiteral("collection"))) out->Collection = true;
        if (r.Is(kCalDavNs, QStringLiteral("calendar"))) out->Calendar = true;
    });
}

void ReadComponents(TvnDavReader& r, TvnDavProps* out) {
    out->HasComponents = true;
    r.Children([&] {
        if (r.Is(kCalDavNs, QStringLiteral("comp")))
            out->Components << r.Attribute(QStringLiteral("name")).trimmed().toUpper();
    });
}

void ReadProp(TvnDavReader& r, TvnDavProps* out) {
    r.Children([&] {
        if (r.Is(kDavNs, QStringLiteral("resourcetype"))) {
            ReadResourceType(r, out);
        } else if (r.Is(kDavNs, QStringLiteral("displayname"))) {
            out->DisplayName = r.Text().trimmed();
        } else if (r.Is(kDavNs, QStringLiteral("current-user-principal"))) {
            out->Principal = r.Href();
        } else if (r.Is(kCalDavNs, QStringLiteral("calendar-home-set"))) {
            out->Home = r.Href();
        } else if (r.Is(kDavNs, QStringLiteral("sync-token"))) {
            out->SyncToken = r.Text().trimmed();
        } else if (r.Is(kDavNs, QStringLiteral("getetag"))) {
            out->ETag = r.Text().trimmed().toUtf8();
        } else if (r.Is(kCalDavNs, QStringLiteral("calendar-data"))) {
            out->HasData = true;
            out->Data = r.Text().toUtf8();
        } else if (r.Is(kCalDavNs, QStringLiteral("supported-calendar-component-set"))) {
            ReadComponents(r, out);
        }
    });
}

// What a later propstat with a 2xx status adds to the earlier ones.
void Merge(TvnDavProps& into, TvnDavProps&& from) {
    into.Collection = into.Collection || from.Collection;
    into.Calendar = into.Calendar || from.Calendar;
    for (auto field : {&TvnDavProps::DisplayName, &TvnDavProps::Principal, &TvnDavProps::Home,
                       &TvnDavProps::SyncToken})
        if (!(from.*field).isEmpty()) into.*field = std::move(from.*field);
    if (!from.ETag.isEmpty()) into.ETag = std::move(from.ETag);
    if (from.HasData) {
        into.HasData = true;
        into.Data = std::move(from.Data);
    }
    if (from.HasComponents) {
        into.HasComponents = true;
        into.Components = std::move(from.Components);
    }
}

// The properties count only under a 2xx status, which comes after them.
void ReadPropstat(TvnDavReader& r, TvnDavItem* item) {
    TvnDavProps props;
    bool hasProp = false;
    int status = 0;
    r.Children([&] {
        if (r.Is(kDavNs, QStringLiteral("prop"))) {
            hasProp = true;
            ReadProp(r, &props);
        } else if (r.Is(kDavNs, QStringLiteral("status"))) {
            status = StatusOf(r.Text());
        }
    });
    if (status < 200 || status >= 300 || !hasProp) return;
    item->AnyOk = true;
    Merge(item->Props, std::move(props));
}

void ReadResponse(TvnDavReader& r, TvnDavItem* item) {
    r.Children([&] {
        if (r.Is(kDavNs, QStringLiteral("href"))) {
            if (item->Href.isEmpty()) item->Href = r.Text().trimmed();
        } else if (r.Is(kDavNs, QStringLiteral("status"))) {
            item->Status = StatusOf(r.Text());
        } else if (r.Is(kDavNs, QStringLiteral("propstat"))) {
            ReadPropstat(r, item);
        }
    });
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

bool DavReadMultistatus(const QByteArray& body, const std::function<bool(TvnDavItem&&)>& each,
                        QString* syncToken) {
    TvnDavReader r(body);
    if (!r.Root(kDavNs, QStringLiteral("multistatus"))) return false;
    r.Children([&] {
        if (r.Is(kDavNs, QStringLiteral("sync-token"))) {
            const QString token = r.Text().trimmed();
            if (syncToken) *syncToken = token;
        } else if (r.Is(kDavNs, QStringLiteral("response"))) {
            TvnDavItem item;
            ReadResponse(r, &item);
            if (item.Href.isEmpty() || !each(std::move(item))) r.Fail();
        }
    });
    return r.End();
}

bool DavParseMultistatus(const QByteArray& body, TvnDavMultistatus* out) {
    return DavReadMultistatus(
        body,
        [out](TvnDavItem&& item) {
            out->Items.push_back(std::move(item));
            return true;
        },
        &out->SyncToken);
}

bool DavErrorNames(const QByteArray& body, const QString& condition) {
    TvnDavReader r(body);
    if (!r.Root(kDavNs, QStringLiteral("error"))) return false;
    bool named = false;
    r.Children([&] { named = named || r.Is(kDavNs, condition); });
    return r.End() && named;
}
