#include "sync/Vncaldavclient.h"

#include <QList>
#include <algorithm>
#include <memory>
#include <optional>

#include "sync/Vncaldavaddress.h"
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

// Reads a successful answer response by response; false (with the error
// set) when the exchange failed or the answer is unreadable.
bool ReadAnswer(const TvnDavAnswer& answer, const std::function<bool(TvnDavItem&&)>& each,
                TvnCalDavError* error, QString* syncToken = nullptr) {
    if (answer.Error.Failed()) {
        *error = answer.Error;
        return false;
    }
    if (!DavReadMultistatus(answer.Body, each, syncToken)) {
        if (!error->Failed()) *error = Unreadable();
        return false;
    }
    return true;
}

// The multistatus of a successful answer, every response kept.
bool Multistatus(const TvnDavAnswer& answer, TvnDavMultistatus* out, TvnCalDavError* error) {
    return ReadAnswer(
        answer,
        [out](TvnDavItem&& item) {
            out->Items.push_back(std::move(item));
            return true;
        },
        error, &out->SyncToken);
}

// An href of an answer that names another origin than the one asked.
bool Elsewhere(const QUrl& asked, const QString& href) {
    return !CalDavSameOrigin(CalDavResolve(asked, href), asked);
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
    const QString problem = CalDavUrlProblem(url);
    if (why) *why = problem;
    return problem.isEmpty();
}

bool CalDavSameOrigin(const QUrl& a, const QUrl& b) {
    const QString scheme = a.scheme().toLower();
    const int port = scheme == QLatin1String("https") ? 443 : 80;
    return scheme == b.scheme().toLower() && a.host().toLower() == b.host().toLower() &&
           a.port(port) == b.port(port);
}

QString CalDavOrigin(const QUrl& url) {
    return url
        .adjusted(QUrl::RemoveUserInfo | QUrl::RemovePath | QUrl::RemoveQuery |
                  QUrl::RemoveFragment)
        .toDisplayString();
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
                   size_t from, Batch each, Done<bool> done);
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
            const QUrl calendar = CalDavResolve(url, ms.Items.front().Href);
            if (!CalDavSameOrigin(calendar, at.Url))
                return done(Failure(DavElsewhere(calendar, at.Url)), {});
            return done({}, {{calendar, props.DisplayName}});
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
        std::vector<TvnCalDavCalendar> calendars;
        const QString self = HrefKey(home, {});
        auto take = [&](TvnDavItem&& item) {
            if (OffersEvents(item.Props) && !Elsewhere(home, item.Href) &&
                HrefKey(home, item.Href) != self)
                calendars.push_back({CalDavResolve(home, item.Href), item.Props.DisplayName});
            return true;
        };
        TvnCalDavError error;
        if (!ReadAnswer(a, take, &error)) return done(error, {});
        done({}, calendars);
    });
}

void TvnCalDavClient::Impl::ListDelta(const TvnCalDavEndpoint& calendar, const QString& token,
                                      Done<TvnCalDavListing> done) {
    const TvnDavRequest request = Report(calendar.Url, "0", DavSyncCollectionBody(token));
    http.Send(calendar, request, [this, calendar, done](const TvnDavAnswer& a) {
        if (TokenRefused(a)) return ListFull(calendar, done);
        TvnCalDavListing listing;
        listing.Full = false;
        const QString self = HrefKey(calendar.Url, {});
        auto take = [&](TvnDavItem&& item) {
            if (Elsewhere(calendar.Url, item.Href)) {
                listing.Foreign.push_back(std::move(item.Href));
            } else if (HrefKey(calendar.Url, item.Href) != self) {
                if (item.Status == 404)
                    listing.Removed.push_back(std::move(item.Href));
                else if (!item.Props.ETag.isEmpty())
                    listing.Changed.push_back(
                        {std::move(item.Href), std::move(item.Props.ETag), {}});
            }
            return true;
        };
        TvnCalDavError error;
        if (!ReadAnswer(a, take, &error, &listing.SyncToken)) return done(error, {});
        if (listing.SyncToken.isEmpty()) return done(Unreadable(), {});
        done({}, std::move(listing));
    });
}

void TvnCalDavClient::Impl::ListFull(const TvnCalDavEndpoint& calendar,
                                     Done<TvnCalDavListing> done) {
    const std::vector<TvnDavName> props = {{kDavNs, QStringLiteral("getetag")},
                                           {kDavNs, QStringLiteral("resourcetype")},
                                           {kDavNs, QStringLiteral("sync-token")}};
    http.Send(calendar, Propfind(calendar.Url, "1", props),
              [calendar, done](const TvnDavAnswer& a) {
                  TvnCalDavListing listing;
                  const QString self = HrefKey(calendar.Url, {});
                  auto take = [&](TvnDavItem&& item) {
                      if (Elsewhere(calendar.Url, item.Href)) {
                          listing.Foreign.push_back(std::move(item.Href));
                      } else if (HrefKey(calendar.Url, item.Href) == self) {
                          listing.SyncToken = item.Props.SyncToken;
                      } else if (!item.Props.Collection) {
                          if (item.Props.ETag.isEmpty()) return false;
                          listing.Changed.push_back(
                              {std::move(item.Href), std::move(item.Props.ETag), {}});
                      }
                      return true;
                  };
                  TvnCalDavError error;
                  if (!ReadAnswer(a, take, &error)) return done(error, {});
                  done({}, std::move(listing));
              });
}

namespace {

// The resources of one multiget batch; false (with the error set) when the
// answer is unreadable or a resource came without its data.
bool ReadBatch(const QUrl& calendar, const TvnDavAnswer& a, std::vector<TvnCalDavResource>* got,
               TvnCalDavError* error) {
    auto take = [&](TvnDavItem&& item) {
        if (item.Status == 404 || !item.AnyOk || Elsewhere(calendar, item.Href))
            return true;  // not found, or not the server's to give
        if (!item.Props.HasData) return false;
        got->push_back(
            {std::move(item.Href), std::move(item.Props.ETag), std::move(item.Props.Data)});
        return true;
    };
    return ReadAnswer(a, take, error);
}

}  // namespace

void TvnCalDavClient::Impl::FetchFrom(const TvnCalDavEndpoint& calendar,
                                      std::shared_ptr<std::vector<QString>> hrefs, size_t from,
                                      Batch each, Done<bool> done) {
    const size_t to = std::min(hrefs->size(), from + kMultigetBatch);
    const std::vector<QString> batch(hrefs->begin() + from, hrefs->begin() + to);
    const TvnDavRequest request = Report(calendar.Url, "1", DavMultigetBody(batch));
    http.Send(calendar, request, [=, this](TvnDavAnswer a) {
        std::vector<TvnCalDavResource> got;
        TvnCalDavError error;
        if (!ReadBatch(calendar.Url, a, &got, &error)) return done(error, false);
        a.Body.clear();  // only the batch's resources stay
        const QString refusal = each(std::move(got));
        if (!refusal.isEmpty()) return done(Failure(refusal), false);
        if (to < hrefs->size()) return FetchFrom(calendar, hrefs, to, each, done);
        done({}, true);
    });
}

TvnCalDavClient::TvnCalDavClient(QObject* parent) : QObject(parent), d(new Impl) {}

TvnCalDavClient::~TvnCalDavClient() = default;

void TvnCalDavClient::SetTimeoutMs(int ms) {
    d->http.SetTimeoutMs(ms);
}

void TvnCalDavClient::SetDeadlineMs(int ms) {
    d->http.SetDeadlineMs(ms);
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
                            Batch each, Done<bool> done) {
    if (hrefs.empty()) return d->http.Later([done] { done({}, true); });
    d->FetchFrom(calendar, std::make_shared<std::vector<QString>>(hrefs), 0, std::move(each),
                 std::move(done));
}

void TvnCalDavClient::Fetch(const TvnCalDavEndpoint& calendar, const std::vector<QString>& hrefs,
                            Done<std::vector<TvnCalDavResource>> done) {
    auto all = std::make_shared<std::vector<TvnCalDavResource>>();
    auto each = [all](std::vector<TvnCalDavResource> batch) {
        std::move(batch.begin(), batch.end(), std::back_inserter(*all));
        return QString();
    };
    Fetch(calendar, hrefs, each, [all, done](const TvnCalDavError& error, bool) {
        if (error.Failed()) return done(error, {});
        done({}, std::move(*all));
    });
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
