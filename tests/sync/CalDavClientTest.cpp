// The CalDAV client against a real Radicale server for the road the engine
// takes, and against a scripted server for every way an exchange can fail.
#include <gtest/gtest.h>

#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QSslConfiguration>
#include <QSslKey>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>

#include "support/FakeHttpServer.h"
#include "support/RadicaleServer.h"
#include "sync/Vncaldavaddress.h"
#include "sync/Vncaldavclient.h"

namespace {

template <class T>
struct Outcome {
    bool Called = false;
    TvnCalDavError Error;
    T Value{};
};

// Runs one asynchronous call of the client to its end (at most 20 s).
template <class T, class Start>
Outcome<T> Await(Start start) {
    Outcome<T> out;
    QEventLoop loop;
    start([&](const TvnCalDavError& error, T value) {
        out = {true, error, std::move(value)};
        loop.quit();
    });
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    if (!out.Called) loop.exec();
    return out;
}

const QByteArray kEvent =
    "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\nBEGIN:VEVENT\r\nUID:%1\r\n"
    "DTSTAMP:20260101T000000Z\r\nDTSTART:20260105T100000Z\r\nSUMMARY:%2\r\nEND:VEVENT\r\n"
    "END:VCALENDAR\r\n";

QByteArray Ics(const QString& uid, const QString& summary) {
    return QString::fromLatin1(kEvent).arg(uid, summary).toUtf8();
}

const TvnCalDavResource* Find(const std::vector<TvnCalDavResource>& list, const QString& end) {
    auto it = std::find_if(list.begin(), list.end(),
                           [&](const TvnCalDavResource& r) { return r.Href.endsWith(end); });
    return it == list.end() ? nullptr : &*it;
}

}  // namespace

TEST(CalDavClient, AgainstRadicaleDiscoversListsSyncsAndWrites) {
    RadicaleServer server;
    ASSERT_TRUE(server.Running()) << server.Error().toStdString();
    const QUrl cal = server.CreateCalendar(QStringLiteral("alice"), QStringLiteral("work"));
    ASSERT_FALSE(cal.isEmpty());
    TvnCalDavClient client;
    TvnCalDavEndpoint at{server.BaseUrl(), QStringLiteral("alice"), QStringLiteral("pw"), {}};
    // The last start finds nothing and goes on through /.well-known/caldav.
    for (const QUrl& start : {server.BaseUrl(), cal, CalDavResolve(cal, "/nothing/here/")}) {
        at.Url = start;
        auto found =
            Await<std::vector<TvnCalDavCalendar>>([&](auto done) { client.Discover(at, done); });
        ASSERT_FALSE(found.Error.Failed()) << found.Error.Message.toStdString();
        ASSERT_EQ(found.Value.size(), 1u);
        EXPECT_EQ(found.Value[0].Url.path(), cal.path());
    }
    at.Url = cal;
    auto put = [&](const QString& href, const QByteArray& data, const QByteArray& etag) {
        return Await<QByteArray>([&](auto done) { client.Put(at, href, data, etag, done); });
    };
    const auto a = put(cal.path() + "a.ics", Ics("a", "First"), {});
    const auto b = put(cal.path() + "b.ics", Ics("b", "Second"), {});
    ASSERT_FALSE(a.Error.Failed() || b.Error.Failed()) << a.Error.Message.toStdString();
    EXPECT_FALSE(a.Value.isEmpty());
    EXPECT_EQ(put(cal.path() + "a.ics", Ics("a", "Again"), {}).Error.Status, 412);
    EXPECT_EQ(put(cal.path() + "a.ics", Ics("a", "Stale"), "\"stale\"").Error.Status, 412);

    auto full = Await<TvnCalDavListing>([&](auto done) { client.List(at, {}, done); });
    ASSERT_FALSE(full.Error.Failed()) << full.Error.Message.toStdString();
    EXPECT_TRUE(full.Value.Full);
    ASSERT_EQ(full.Value.Changed.size(), 2u);
    ASSERT_NE(Find(full.Value.Changed, "a.ics"), nullptr);
    EXPECT_EQ(Find(full.Value.Changed, "a.ics")->ETag, a.Value);
    ASSERT_FALSE(full.Value.SyncToken.isEmpty());

    // Another program changes one event and deletes the other.
    ASSERT_EQ(server.Put(CalDavResolve(cal, "a.ics"), Ics("a", "Changed elsewhere")), 201);
    ASSERT_EQ(server.Delete(CalDavResolve(cal, "b.ics")), 200);
    auto delta =
        Await<TvnCalDavListing>([&](auto done) { client.List(at, full.Value.SyncToken, done); });
    ASSERT_FALSE(delta.Error.Failed()) << delta.Error.Message.toStdString();
    EXPECT_FALSE(delta.Value.Full);
    ASSERT_EQ(delta.Value.Changed.size(), 1u);
    EXPECT_NE(delta.Value.Changed[0].ETag, a.Value);
    ASSERT_EQ(delta.Value.Removed.size(), 1u);
    EXPECT_TRUE(delta.Value.Removed[0].endsWith("b.ics"));
    EXPECT_NE(delta.Value.SyncToken, full.Value.SyncToken);
    auto refused = Await<TvnCalDavListing>(
        [&](auto done) { client.List(at, QStringLiteral("http://bogus/token"), done); });
    EXPECT_TRUE(refused.Value.Full) << refused.Error.Message.toStdString();

    const std::vector<QString> wanted = {delta.Value.Changed[0].Href, cal.path() + "gone.ics"};
    auto got =
        Await<std::vector<TvnCalDavResource>>([&](auto done) { client.Fetch(at, wanted, done); });
    ASSERT_FALSE(got.Error.Failed()) << got.Error.Message.toStdString();
    ASSERT_EQ(got.Value.size(), 1u);
    EXPECT_TRUE(got.Value[0].Data.contains("Changed elsewhere"));
    EXPECT_EQ(got.Value[0].ETag, delta.Value.Changed[0].ETag);

    for (int round = 0; round < 2; ++round) {  // the second finds it gone already
        auto removed = Await<bool>(
            [&](auto done) { client.Remove(at, got.Value[0].Href, got.Value[0].ETag, done); });
        EXPECT_TRUE(removed.Value) << removed.Error.Message.toStdString();
    }
    EXPECT_TRUE(server.Hrefs(cal).isEmpty());

    server.Stop();
    auto down = Await<TvnCalDavListing>([&](auto done) { client.List(at, {}, done); });
    EXPECT_TRUE(down.Error.Message.contains("could not be reached"))
        << down.Error.Message.toStdString();
    ASSERT_TRUE(server.Start());
    EXPECT_FALSE(
        Await<TvnCalDavListing>([&](auto done) { client.List(at, {}, done); }).Error.Failed());
}

namespace {

using Answer = FakeHttpServer::Answer;

Answer Status(int status, const QByteArray& reason) {
    Answer answer;
    answer.Status = status;
    answer.Reason = reason;
    return answer;
}

Answer Multistatus(const QByteArray& inner) {
    Answer answer = Status(207, "Multi-Status");
    answer.Headers = {{"Content-Type", "application/xml"}};
    answer.Body =
        "<?xml version=\"1.0\"?><d:multistatus xmlns:d=\"DAV:\" "
        "xmlns:c=\"urn:ietf:params:xml:ns:caldav\">" +
        inner + "</d:multistatus>";
    return answer;
}

Answer Modified(Answer answer, const std::function<void(Answer&)>& change) {
    change(answer);
    return answer;
}

enum class Call { Discover, List, Fetch, Put, Remove };

struct FailureRow {
    const char* Name;
    Call Op;
    Answer Reply;
    const char* Says;  // part of the message; empty: no failure
    int Status;
};

const QByteArray kNoEtag =
    "<d:response><d:href>/cal/x.ics</d:href><d:propstat><d:prop><d:resourcetype/></d:prop>"
    "<d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>";
const QByteArray kNoPrincipal =
    "<d:response><d:href>/</d:href><d:propstat><d:prop><d:resourcetype><d:collection/>"
    "</d:resourcetype></d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>";
const QByteArray kNoData =
    "<d:response><d:href>/cal/x.ics</d:href><d:propstat><d:prop><d:getetag>\"1\"</d:getetag>"
    "</d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>";

std::vector<FailureRow> FailureRows() {
    auto to = [](const QByteArray& where) {
        Answer a = Status(302, "Found");
        a.Headers = {{"Location", where}};
        return a;
    };
    return {
        {"Unauthorized", Call::List,
         Modified(Status(401, "Unauthorized"),
                  [](Answer& a) {
                      a.Headers = {{"WWW-Authenticate", "Basic realm=\"cal\""}};
                  }),
         "user name or password", 401},
        {"Forbidden", Call::List, Status(403, "Forbidden"), "answered 403 Forbidden", 403},
        {"NotFound", Call::List, Status(404, "Not Found"), "answered 404 Not Found", 404},
        {"ServerError", Call::List, Status(500, "Internal Server Error"), "answered 500", 500},
        {"Unavailable", Call::List, Status(503, "Service Unavailable"),
         "answered 503 Service Unavailable", 503},
        {"RedirectLoop", Call::List, to("/loop"), "redirected too many times", 0},
        {"RedirectChain", Call::List, {}, "redirected too many times", 0},
        {"RedirectAway", Call::List, to("http://192.168.1.2/cal/"), "192.168.1.2", 0},
        {"HugeAnnounced", Call::List, Modified({}, [](Answer& a) { a.LazyBytes = 50 << 20; }),
         "larger than 16 MB", 0},
        {"HugeUnannounced", Call::List,
         Modified({},
                  [](Answer& a) {
                      a.LazyBytes = 50 << 20;
                      a.LazyLength = false;
                  }),
         "larger than 16 MB", 0},
        {"MalformedXml", Call::List, Multistatus("<d:response><d:href>"), "could not be read", 0},
        {"NotMultistatus", Call::List,
         Modified(Multistatus({}), [](Answer& a) { a.Body = "<x/>"; }), "could not be read", 0},
        {"ListWithoutEtag", Call::List, Multistatus(kNoEtag), "could not be read", 0},
        {"FetchWithoutData", Call::Fetch, Multistatus(kNoData), "could not be read", 0},
        {"Silent", Call::List, Modified({}, [](Answer& a) { a.NoAnswer = true; }),
         "did not answer within 0.3 seconds", 0},
        {"CutOff", Call::List,
         Modified(Multistatus(kNoEtag), [](Answer& a) { a.CloseMidway = true; }), "broke off", 0},
        // Both rounds, at the address and at /.well-known/caldav, get this.
        {"DiscoverNothing", Call::Discover, Multistatus(kNoPrincipal), "No calendar was found", 0},
        {"DiscoverMissing", Call::Discover, Status(404, "Not Found"), "answered 404 Not Found",
         404},
        {"PutConflict", Call::Put, Status(412, "Precondition Failed"), "412", 412},
        {"RemoveGone", Call::Remove, Status(404, "Not Found"), "", 0},
    };
}

TvnCalDavError RunCall(TvnCalDavClient& client, const TvnCalDavEndpoint& at, Call op) {
    switch (op) {
        case Call::Discover:
            return Await<std::vector<TvnCalDavCalendar>>(
                       [&](auto done) { client.Discover(at, done); })
                .Error;
        case Call::List:
            return Await<TvnCalDavListing>([&](auto done) { client.List(at, {}, done); }).Error;
        case Call::Fetch:
            return Await<std::vector<TvnCalDavResource>>(
                       [&](auto done) { client.Fetch(at, {QStringLiteral("/cal/x.ics")}, done); })
                .Error;
        case Call::Put:
            return Await<QByteArray>(
                       [&](auto done) { client.Put(at, "x.ics", "x", "\"1\"", done); })
                .Error;
        case Call::Remove:
            return Await<bool>([&](auto done) { client.Remove(at, "x.ics", {}, done); }).Error;
    }
    return {};
}

}  // namespace

TEST(CalDavClient, EveryFailureOfTheServerGivesAMessage) {
    for (const FailureRow& row : FailureRows()) {
        SCOPED_TRACE(row.Name);
        // The chain leads somewhere new each time: /cal/ /cal/x /cal/xx ...
        FakeHttpServer server([&](const FakeHttpServer::Request& request) {
            if (std::string_view(row.Name) != "RedirectChain") return row.Reply;
            Answer next = Status(307, "Temporary Redirect");
            next.Headers = {{"Location", request.Path + "x"}};
            return next;
        });
        TvnCalDavClient client;
        client.SetTimeoutMs(300);
        const TvnCalDavError error = RunCall(client, {server.Url("/cal/"), "u", "p", {}}, row.Op);
        EXPECT_TRUE(error.Message.contains(QLatin1String(row.Says))) << error.Message.toStdString();
        EXPECT_EQ(error.Failed(), *row.Says != '\0');
        EXPECT_EQ(error.Status, row.Status);
    }
}

TEST(CalDavClient, AbortedOrDestroyedClientsCallNoCallback) {
    FakeHttpServer server([](const FakeHttpServer::Request&) {
        return Modified({}, [](Answer& a) { a.NoAnswer = true; });
    });
    int calls = 0;
    auto count = [&](const TvnCalDavError&, auto) { ++calls; };
    auto client = std::make_unique<TvnCalDavClient>();
    const TvnCalDavEndpoint at{server.Url("/cal/"), "u", "p", {}};
    const TvnCalDavEndpoint refused{QUrl("http://example.org/"), "u", "p", {}};
    client->List(at, {}, count);
    client->Fetch(at, {}, count);
    client->Remove(refused, "x.ics", {}, count);
    client->AbortAll();
    client->List(at, QStringLiteral("token"), count);
    client->Put(refused, "x.ics", "x", {}, count);
    client.reset();
    QEventLoop loop;
    QTimer::singleShot(300, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_EQ(calls, 0);

    // A callback may delete the client that called it.
    FakeHttpServer answering(
        [](const FakeHttpServer::Request&) { return Status(204, "No Content"); });
    client = std::make_unique<TvnCalDavClient>();
    client->Remove({answering.Url("/cal/"), "u", "p", {}}, "x.ics", {},
                   [&](const TvnCalDavError&, bool) {
                       client.reset();
                       loop.quit();
                   });
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_EQ(client, nullptr);
}

TEST(CalDavClient, PlainHttpOnlyToThisComputer) {
    const struct {
        const char* Url;
        bool Allowed;
    } rows[] = {
        {"http://127.0.0.1:5232/", true}, {"http://localhost/cal/", true},
        {"http://127.8.9.10/", true},     {"http://[::1]:8080/", true},
        {"http://192.168.1.2/", false},   {"http://example.org/", false},
        {"https://example.org/", true},   {"ftp://127.0.0.1/", false},
        {"not an address", false},
    };
    for (const auto& row : rows) {
        QString why;
        EXPECT_EQ(CalDavAddressAllowed(QUrl(row.Url), &why), row.Allowed) << row.Url;
        EXPECT_EQ(why.isEmpty(), row.Allowed) << row.Url << ": " << why.toStdString();
    }
}

namespace {

// A self-signed certificate made by openssl for the test; a configuration
// without one when openssl fails.
QSslConfiguration SelfSigned(const QTemporaryDir& dir) {
    const QString key = dir.filePath("key.pem"), cert = dir.filePath("cert.pem");
    QProcess openssl;
    openssl.start("openssl", {"req", "-x509", "-newkey", "ec", "-pkeyopt",
                              "ec_paramgen_curve:prime256v1", "-nodes", "-keyout", key, "-out",
                              cert, "-days", "2", "-subj", "/CN=vornel-test"});
    openssl.waitForFinished(20000);
    QFile keyFile(key), certFile(cert);
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    if (!keyFile.open(QIODevice::ReadOnly) || !certFile.open(QIODevice::ReadOnly)) return tls;
    tls.setLocalCertificate(QSslCertificate(certFile.readAll()));
    tls.setPrivateKey(QSslKey(keyFile.readAll(), QSsl::Ec));
    return tls;
}

}  // namespace

TEST(CalDavClient, TrustsOnlyTheOneCertificateTheUserAccepted) {
    QTemporaryDir dir;
    const QSslConfiguration tls = SelfSigned(dir);
    ASSERT_FALSE(tls.localCertificate().isNull());
    const QByteArray fingerprint =
        tls.localCertificate().digest(QCryptographicHash::Sha256).toHex();
    FakeHttpServer server(
        [](const FakeHttpServer::Request& request) {
            Answer answer = Status(201, "Created");
            answer.Headers = {{"ETag", "\"7\""}};
            if (request.Path.startsWith("/down/"))
                answer = Modified(Status(302, "Found"), [](Answer& a) {
                    a.Headers = {{"Location", "http://127.0.0.1:9/"}};
                });
            return answer;
        },
        &tls);
    TvnCalDavClient client;
    TvnCalDavEndpoint at{server.Url("/cal/"), "u", "p", {}};
    auto put = [&] {
        return Await<QByteArray>([&](auto done) { client.Put(at, "x.ics", "x", {}, done); });
    };
    for (const QByteArray& other : {QByteArray(), QByteArray(64, '0')}) {
        at.AcceptedFingerprint = other;
        const auto refused = put();
        EXPECT_TRUE(refused.Error.Message.contains("not trusted"))
            << refused.Error.Message.toStdString();
        EXPECT_EQ(refused.Error.Fingerprint, fingerprint);
        EXPECT_TRUE(refused.Error.CertificateText.contains("vornel-test"));
    }
    at.AcceptedFingerprint = fingerprint;
    const auto accepted = put();
    EXPECT_FALSE(accepted.Error.Failed()) << accepted.Error.Message.toStdString();
    EXPECT_EQ(accepted.Value, "\"7\"");
    at.Url = server.Url("/down/");
    const auto down = put();
    EXPECT_TRUE(down.Error.Message.contains("plain http")) << down.Error.Message.toStdString();
}

namespace {

// Answers a multiget with every href it names, except those of gone*.
Answer MultigetAnswer(const FakeHttpServer::Request& request) {
    QByteArray inner;
    const QList<QByteArray> parts = request.Body.split('<');
    for (const QByteArray& part : parts) {
        if (!part.contains("href>") || part.startsWith('/')) continue;
        const QByteArray href = part.mid(part.indexOf('>') + 1);
        const QByteArray status = href.contains("gone") ? "404 Not Found" : "200 OK";
        inner += "<d:response><d:href>" + href + "</d:href><d:propstat><d:prop><d:getetag>\"" +
                 href + "\"</d:getetag><c:calendar-data>BEGIN:" + href +
                 "</c:calendar-data></d:prop><d:status>HTTP/1.1 " + status +
                 "</d:status></d:propstat></d:response>";
    }
    return Multistatus(inner);
}

}  // namespace

TEST(CalDavClient, FetchesInBatchesAndLeavesOutWhatIsGone) {
    // Answers each multiget with every href it names, except those of gone*.
    std::vector<int> batchSizes;
    FakeHttpServer server([&](const FakeHttpServer::Request& request) {
        batchSizes.push_back(
            int(request.Body.count("</d:href>") + request.Body.count("</D:href>")));
        return MultigetAnswer(request);
    });
    std::vector<QString> hrefs;
    for (int i = 0; i < 450; ++i)
        hrefs.push_back(QStringLiteral("/cal/%1%2.ics").arg(i % 10 == 0 ? "gone" : "e").arg(i));
    TvnCalDavClient client;
    auto got = Await<std::vector<TvnCalDavResource>>([&](auto done) {
        client.Fetch({server.Url("/cal/"), "u", "p", {}}, hrefs, done);
    });
    ASSERT_FALSE(got.Error.Failed()) << got.Error.Message.toStdString();
    EXPECT_EQ(batchSizes, (std::vector<int>{200, 200, 50}));
    ASSERT_EQ(got.Value.size(), 405u);
    EXPECT_EQ(got.Value[0].Href, "/cal/e1.ics");
    EXPECT_EQ(got.Value[0].ETag, "\"/cal/e1.ics\"");
    EXPECT_EQ(got.Value.back().Data, "BEGIN:/cal/e449.ics");
}

// A whole download was held until its last batch arrived.
TEST(CalDavClient, EachBatchIsHandedOnBeforeTheNextIsFetched) {
    int handedOn = 0;
    std::vector<int> handedOnWhenAsked;
    FakeHttpServer server([&](const FakeHttpServer::Request& request) {
        handedOnWhenAsked.push_back(handedOn);
        return MultigetAnswer(request);
    });
    std::vector<QString> hrefs;
    for (int i = 0; i < 450; ++i)
        hrefs.push_back(QStringLiteral("/cal/e%1.ics").arg(i));
    TvnCalDavClient client;
    std::vector<size_t> sizes;
    auto fetch = [&](const QString& refusal) {
        handedOn = 0;
        handedOnWhenAsked.clear();
        return Await<bool>([&](auto done) {
            client.Fetch(
                {server.Url("/cal/"), "u", "p", {}}, hrefs,
                [&](std::vector<TvnCalDavResource> batch) {
                    sizes.push_back(batch.size());
                    ++handedOn;
                    return refusal;
                },
                done);
        });
    };
    const auto all = fetch({});
    EXPECT_TRUE(all.Value) << all.Error.Message.toStdString();
    EXPECT_EQ(handedOnWhenAsked, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(sizes, (std::vector<size_t>{200, 200, 50}));
    // A batch that cannot be taken ends the fetch: nothing more is asked for.
    const auto refused = fetch(QStringLiteral("The server sent an event that cannot be read."));
    EXPECT_EQ(refused.Error.Message, "The server sent an event that cannot be read.");
    EXPECT_FALSE(refused.Value);
    EXPECT_EQ(handedOnWhenAsked, (std::vector<int>{0}));
}

// The password went along when the bound server sent a request elsewhere.
TEST(CalDavClient, ARedirectToAnotherServerGetsNoPassword) {
    FakeHttpServer other([](const FakeHttpServer::Request&) { return Status(204, "No Content"); },
                         nullptr, QHostAddress(QStringLiteral("127.0.0.2")));
    ASSERT_GT(other.Url().port(), 0) << "no second loopback address";
    FakeHttpServer bound([&](const FakeHttpServer::Request& request) {
        Answer away = Status(307, "Temporary Redirect");
        away.Headers = {{"Location", other.Url(QString::fromLatin1(request.Path)).toEncoded()}};
        return away;
    });
    TvnCalDavClient client;
    for (Call op : {Call::Discover, Call::List, Call::Fetch, Call::Put, Call::Remove}) {
        const TvnCalDavError error = RunCall(client, {bound.Url("/cal/"), "u", "p", {}}, op);
        EXPECT_TRUE(error.Message.contains(other.Url().authority())) << error.Message.toStdString();
    }
    for (const FakeHttpServer::Request& request : other.Received())
        EXPECT_FALSE(request.Headers.contains("authorization"))
            << request.Method.toStdString() << " " << request.Path.toStdString();
}

// The transfer timeout restarted with every byte, so a trickle held a run for ever.
TEST(CalDavClient, AnAnswerThatTricklesOrNeverEndsStopsAtTheDeadline) {
    const Answer trickling = Modified(Multistatus(kNoEtag), [](Answer& a) { a.TrickleMs = 50; });
    const Answer endless =
        Modified(Status(207, "Multi-Status"), [](Answer& a) { a.Endless = true; });
    for (const Answer& reply : {trickling, endless}) {
        FakeHttpServer server([&](const FakeHttpServer::Request&) { return reply; });
        TvnCalDavClient client;
        client.SetTimeoutMs(1000);  // every byte comes well within this
        client.SetDeadlineMs(2000);
        const TvnCalDavError error =
            RunCall(client, {server.Url("/cal/"), "u", "p", {}}, Call::List);
        EXPECT_TRUE(error.Message.contains("did not finish its answer within 2 seconds"))
            << error.Message.toStdString();
    }
}

// The account dialog took addresses the client then refused to contact.
TEST(CalDavAddress, TheDialogAcceptsNoAddressTheClientRefuses) {
    const char* const rows[] = {"http://localhost./",       "http://LocalHost:5232/",
                                "http://127.0.0.2:5232/",   "http://[::1]/",
                                "http://192.168.1.2/",      "http://localhost.example.org/",
                                "https://example.org/dav/", "https://anna:pw@example.org/",
                                "ftp://127.0.0.1/",         "http://0.0.0.0/",
                                "http:/127.0.0.1/",         "https:///cal/"};
    for (const char* address : rows)
        EXPECT_EQ(CalDavAddressProblem(QString::fromLatin1(address)).isEmpty(),
                  CalDavAddressAllowed(QUrl(QString::fromLatin1(address))))
            << address;
    // A name with the final dot goes to DNS, which may answer any address.
    EXPECT_FALSE(CalDavAddressAllowed(QUrl("http://localhost./")));
}
