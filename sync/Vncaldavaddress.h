// Which CalDAV server addresses the account dialog lets a request go to,
// checked before anything is sent: https anywhere, plain http only to this
// machine, where nobody else can read the password. Header-only, so that the
// dialog needs no network client; the client makes the same check itself.
#pragma once

#include <QHostAddress>
#include <QString>
#include <QUrl>

// localhost, 127.0.0.0/8 or ::1 (a host as QUrl::host() gives it).
inline bool CalDavLoopbackHost(const QString& host) {
    QString name = host.toLower();
    if (name.endsWith(u'.')) name.chop(1);
    if (name == QLatin1String("localhost")) return true;
    const QHostAddress address(name);
    return !address.isNull() && address.isLoopback();
}

// Empty when a request may go to the address typed, else why not.
inline QString CalDavAddressProblem(const QString& typed) {
    const QUrl url(typed.trimmed(), QUrl::StrictMode);
    if (typed.trimmed().isEmpty()) return QStringLiteral("Enter the address of the server.");
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() || (scheme != "https" && scheme != "http"))
        return QStringLiteral(
                   "\"%1\" is not a server address; it looks like "
                   "https://calendar.example.org/.")
            .arg(typed.trimmed());
    if (scheme == "http" && !CalDavLoopbackHost(url.host()))
        return QStringLiteral(
            "Plain http would send the password unprotected; use an https "
            "address (http is allowed only for this computer).");
    return {};
}
