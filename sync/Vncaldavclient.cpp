#include "sync/Vncaldavclient.h"

#include <QHostAddress>
#include <QList>
#include <algorithm>
#include <memory>
#include <optional>

#include "sync/Vncaldavhttp.h"
#include "sync/Vncaldavxml.h"

namespace {

constexpr size_t kMultigetBatch = 200;

TvnCalDavError Failure(const QString& message) {
    TvnCalDavError error;
    error.Message = message;
    return error;
}

TvnCalDavError Unreadable() {
    return Failure(QStringLiteral("The server's answer could not be read."));
}

TvnCalDavError NoCalendar() {
    return Failure(QStringLiteral("No calendar was found at this address."));
}

TvnCalDavError NoEvents() {
    return Failure(QStringLiteral("This calendar on the server cannot hold events."));
}

// Hrefs name the same resource when their decoded paths agree (a trailing
// slash aside).
QString HrefKey(const QUrl& base, const QString& href) {
    QString path = CalDavResolve(base, href).path(QUrl::FullyDecoded);
    while (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

TvnDavRequest Propfind(const QUrl& url, const QByteArray& depth,
                       const std::vector<TvnDavName>& props) {
    return {"PROPFIND", url, depth, {}, "application/xml; charset=utf-8", DavPropfindBody(props)};
}

TvnDavRequest Report(const QUrl& url, const QByteArray& depth, const QByteArray& body) {
    return {"REPORT", url, depth, {}, "application/xml; charset=utf-8", body};
}

// The multistatus of a successful answer; false (with the error set) when
// the exchange failed or the answer is unreadable.
bool Multistatus(const TvnDavAnswer& answer, TvnDavMultistatus* out, TvnCalDavError* error) {
    if (answer.Error.Failed()) {
        *error = answer.Error;
        return false;
    }
    if (!DavParseMultistatus(answer.Body, out)) {
        *error = Unreadable();
        return false;
    }
    return true;
}

bool OffersEvents(const TvnDavProps& props) {
    return props.Calendar &&
           (!props.HasComponents || props.Components.contains(QStringLiteral("VEVENT")));
}

// A server without sync-collection, or one that forgot the token, answers
// with one of these (or names the valid-sync-token precondition).
bool TokenRefused(const TvnDavAnswer& a) {
    static const QList<int> statuses = {400, 403, 405, 409, 412, 415, 422, 501};
    return statuses.contains(a.Error.Status) ||
           (a.Error.Status >= 400 && DavErrorNames(a.Body, QStringLiteral("valid-sync-token")));
}

}  // namespace

bool CalDavAddressAllowed(const QUrl& url, QString* why) {
    auto refuse = [why](const QString& reason) {
        if (why) *why = reason;
        return false;
    };
    if (!url.isValid() || url.host().isEmpty())
        return refuse(
            QStringLiteral("\"%1\" is not a valid server address.").arg(url.toDisplayString()));
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("https")) return true;
    if (scheme != QLatin1String("http"))
        return refuse(QStringLiteral("Only https addresses can be used (\"%1\").")
                          .arg(url.toDisplayString()));
    const QString host = url.host().toLower();
    if (host == QLatin1String("localhost") || QHostAddress(host).isLoopback()) return true;
    return refuse(QStringLiteral("Plain http is allowed only to this computer; %1 needs https.")
                      .arg(url.host()));
}

QUrl CalDavResolve(const QUrl& base, const QString& href) {
    return base.resolved(QUrl(href, QUrl::TolerantMode));
}

struct TvnCalDavClient::Impl {
    TvnDavHttp http;

    void Discover(const TvnCalDavEndpoint& at, std::optional<TvnCalDavError> first,
                  Done<std::vector<TvnCalDavCalendar>> done);
    void DiscoverPrincipal(const TvnCalDavEndpoint& at, const QUrl& principal,
                           Done<std::vector<TvnCalDavCalendar>> done);
    void DiscoverHome(const TvnCalDavEndpoint& at, const QUrl& home,
                      Done<std::vector<TvnCalDavCalendar>> done);
    void ListDelta(const TvnCalDavEndpoint& calendar, const QString& token,
                   Done<TvnCalDavListing> done);
    void ListFull(const TvnCalDavEndpoint& calendar, Done<TvnCalDavListing> done);
    void FetchFrom(const TvnCalDavEndpoint& calendar, std::shared_ptr<std::vector<QString>> hrefs,
                   size_t from, std::shared_ptr<std::vector<TvnCalDavResource>> got,
                   Done<std::vector<TvnCalDavResource>> done);
};

// first is set on the second round, at /.well-known/caldav: what the address
// itself gave, reported instead when that round fails too.
void TvnCalDavClient::Impl::Discover(const TvnCalDavEndpoint& at,
                                     std::optional<TvnCalDavError> first,
                                     Done<std::vector<TvnCalDavCalendar>> done) {
    const QUrl url = first ? at.Url.resolved(QUrl(QStringLiteral("/.well-known/caldav"))) : at.Url;
    const std::vector<TvnDavName> props = {
        {kDavNs, QStringLiteral("resourcetype")},
        {kDavNs, QStringLiteral("displayname")},
        {kDavNs, QStringLiteral("current-user-principal")},
        {kCalDavNs, QStringLiteral("calendar-home-set")},
        {kCalDavNs, QStringLiteral("supported-calendar-component-set")}};
    http.Send(at, Propfind(url, "0", props), [this, at, url, first, done](const TvnDavAnswer& a) {
        const bool refused = a.Error.Status >= 400 && a.Error.Status != 401;
        if (refused && !first) return Discover(at, a.Error, done);
        if (refused) return done(first->Failed() ? *first : NoCalendar(), {});
        TvnDavMultistatus ms;
        TvnCalDavError error;
        if (!Multistatus(a, &ms, &error)) return done(error, {});
        if (ms.Items.empty()) return done(Unreadable(), {});
        const TvnDavProps& props = ms.Items.front().Props;
        if (props.Calendar) {
            if (!OffersEvents(props)) return done(NoEvents(), {});
            return done({}, {{CalDavResolve(url, ms.Items.front().Href), props.DisplayName}});
        }
        if (!props.Home.isEmpty()) return DiscoverHome(at, CalDavResolve(url, props.Home), done);
        if (!props.Principal.isEmpty())
            return DiscoverPrincipal(at, CalDavResolve(url, props.Principal), done);
        if (!first) return Discover(at, TvnCalDavError{}, done);
        done(first->Failed() ? *first : NoCalendar(), {});
    });
}

void TvnCalDavClient::Impl::DiscoverPrincipal(const TvnCalDavEndpoint& at, const QUrl& principal,
                                              Done<std::vector<TvnCalDavCalendar>> done) {
    const std::vector<TvnDavName> props = {{kCalDavNs, QStringLiteral("calendar-home-set")}};
    http.Send(
        at, Propfind(principal, "0", props), [this, at, principal, done](const TvnDavAnswer& a) {
            TvnDavMultistatus ms;
            TvnCalDavError error;
            if (!Multistatus(a, &ms, &error)) return done(error, {});
            for (const TvnDavItem& item : ms.Items)
                if (!item.Props.Home.isEmpty())
                    return DiscoverHome(at, CalDavResolve(principal, item.Props.Home), done);
            error.Message = QStringLiteral("The server names no calendar home for this user.");
            done(error, {});
        });
}

void TvnCalDavClient::Impl::DiscoverHome(const TvnCalDavEndpoint& at, const QUrl& home,
                                         Done<std::vector<TvnCalDavCalendar>> done) {
    const std::vector<TvnDavName> props = {
        {kDavNs, QStringLiteral("resourcetype")},
        {kDavNs, QStringLiteral("displayname")},
        {kCalDavNs, QStringLiteral("supported-calendar-component-set")}};
    http.Send(at, Propfind(home, "1", props), [home, done](const TvnDavAnswer& a) {
        TvnDavMultistatus ms;
        TvnCalDavError error;
        if (!Multistatus(a, &ms, &error)) return done(error, {});
        std::vector<TvnCalDavCalendar> calendars;
        for (const TvnDavItem& item : ms.Items)
            if (OffersEvents(item.Props) && HrefKey(home, item.Href) != HrefKey(home, {}))
                calendars.push_back({CalDavResolve(home, item.Href), item.Props.DisplayName});
        done({}, calendars);
    });
}

void TvnCalDavClient::Impl::ListDelta(const TvnCalDavEndpoint& calendar, const QString& token,
                                      Done<TvnCalDavListing> done) {
    const TvnDavRequest request = Report(calendar.Url, "0", DavSyncCollectionBody(token));
    http.Send(calendar, request, [this, calendar, done](const TvnDavAnswer& a) {
        if (TokenRefused(a)) return ListFull(calendar, done);
        TvnDavMultistatus ms;
        TvnCalDavError error;
        if (!Multistatus(a, &ms, &error)) return done(error, {});
        if (ms.SyncToken.isEmpty()) return done(Unreadable(), {});
        TvnCalDavListing listing;
        listing.Full = false;
        listing.SyncToken = ms.SyncToken;
        const QString self = HrefKey(calendar.Url, {});
        for (const TvnDavItem& item : ms.Items) {
            if (HrefKey(calendar.Url, item.Href) == self) continue;
            if (item.Status == 404)
                listing.Removed.push_back(item.Href);
            else if (!item.Props.ETag.isEmpty())
                listing.Changed.push_back({item.Href, item.Props.ETag, {}});
        }
        done({}, listing);
    });
}

void TvnCalDavClient::Impl::ListFull(const TvnCalDavEndpoint& calendar,
                                     Done<TvnCalDavListing> done) {
    const std::vector<TvnDavName> props = {{kDavNs, QStringLiteral("getetag")},
                                           {kDavNs, QStringLiteral("resourcetype")},
                                           {kDavNs, QStringLiteral("sync-token")}};
    http.Send(calendar, Propfind(calendar.Url, "1", props),
              [calendar, done](const TvnDavAnswer& a) {
                  TvnDavMultistatus ms;
                  TvnCalDavError error;
                  if (!Multistatus(a, &ms, &error)) return done(error, {});
                  TvnCalDavListing listing;
                  const QString self = HrefKey(calendar.Url, {});
                  for (const TvnDavItem& item : ms.Items) {
                      if (HrefKey(calendar.Url, item.Href) == self)
                          listing.SyncToken = item.Props.SyncToken;
                      else if (item.Props.Collection)
                          continue;
                      else if (item.Props.ETag.isEmpty())
                          return done(Unreadable(), {});
                      else
                          listing.Changed.push_back({item.Href, item.Props.ETag, {}});
                  }
                  done({}, listing);
              });
}

void TvnCalDavClient::Impl::FetchFrom(const TvnCalDavEndpoint& calendar,
                                      std::shared_ptr<std::vector<QString>> hrefs, size_t from,
                                      std::shared_ptr<std::vector<TvnCalDavResource>> got,
                                      Done<std::vector<TvnCalDavResource>> done) {
    const size_t to = std::min(hrefs->size(), from + kMultigetBatch);
    const std::vector<QString> batch(hrefs->begin() + from, hrefs->begin() + to);
    const TvnDavRequest request = Report(calendar.Url, "1", DavMultigetBody(batch));
    http.Send(calendar, request, [=, this](const TvnDavAnswer& a) {
        TvnDavMultistatus ms;
        TvnCalDavError error;
        if (!Multistatus(a, &ms, &error)) return done(error, {});
        for (TvnDavItem& item : ms.Items) {
            if (item.Status == 404 || !item.AnyOk) continue;  // not found
            if (!item.Props.HasData) return done(Unreadable(), {});
            got->push_back({item.Href, item.Props.ETag, std::move(item.Props.Data)});
        }
        if (to < hrefs->size()) return FetchFrom(calendar, hrefs, to, got, done);
        done({}, std::move(*got));
    });
}

TvnCalDavClient::TvnCalDavClient(QObject* parent) : QObject(parent), d(new Impl) {}

TvnCalDavClient::~TvnCalDavClient() = default;

void TvnCalDavClient::SetTimeoutMs(int ms) {
    d->http.SetTimeoutMs(ms);
}

void TvnCalDavClient::SetMaxBodyBytes(qint64 bytes) {
    d->http.SetMaxBodyBytes(bytes);
}

void TvnCalDavClient::Discover(const TvnCalDavEndpoint& at,
                               Done<std::vector<TvnCalDavCalendar>> done) {
    d->Discover(at, std::nullopt, std::move(done));
}

void TvnCalDavClient::List(const TvnCalDavEndpoint& calendar, const QString& syncToken,
                           Done<TvnCalDavListing> done) {
    if (syncToken.isEmpty())
        d->ListFull(calendar, std::move(done));
    else
        d->ListDelta(calendar, syncToken, std::move(done));
}

void TvnCalDavClient::Fetch(const TvnCalDavEndpoint& calendar, const std::vector<QString>& hrefs,
                            Done<std::vector<TvnCalDavResource>> done) {
    if (hrefs.empty()) return d->http.Later([done] { done({}, {}); });
    d->FetchFrom(calendar, std::make_shared<std::vector<QString>>(hrefs), 0,
                 std::make_shared<std::vector<TvnCalDavResource>>(), std::move(done));
}

void TvnCalDavClient::Put(const TvnCalDavEndpoint& calendar, const QString& href,
                          const QByteArray& data, const QByteArray& etag, Done<QByteArray> done) {
    TvnDavRequest request{"PUT", CalDavResolve(calendar.Url, href), {},
                          {},    "text/calendar; charset=utf-8",    data};
    if (etag.isEmpty())
        request.Headers.push_back({"If-None-Match", "*"});
    else
        request.Headers.push_back({"If-Match", etag});
    d->http.Send(calendar, request, [done](const TvnDavAnswer& a) {
        if (a.Error.Failed()) return done(a.Error, {});
        done({}, a.ETag);
    });
}

void TvnCalDavClient::Remove(const TvnCalDavEndpoint& calendar, const QString& href,
                             const QByteArray& etag, Done<bool> done) {
    TvnDavRequest request{"DELETE", CalDavResolve(calendar.Url, href), {}, {}, {}, {}};
    if (!etag.isEmpty()) request.Headers.push_back({"If-Match", etag});
    d->http.Send(calendar, request, [done](const TvnDavAnswer& a) {
        const bool gone = a.Error.Status == 404 || a.Error.Status == 410;
        if (a.Error.Failed() && !gone) return done(a.Error, false);
        done({}, true);
    });
}

void TvnCalDavClient::AbortAll() {
    d->http.AbortAll();
}
