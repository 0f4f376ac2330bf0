// Which CalDAV server addresses a request may go to, checked before anything
// is sent: https anywhere, plain http only to this machine, where nobody else
// can read the password. One rule for the account dialog and the client, so
// that the dialog takes no address the client will refuse. Header-only, so
// that the dialog needs no network client.
#pragma once

#include <QHostAddress>
#include <QString>
#include <QUrl>

// localhost, 127.0.0.0/8 or ::1 (a host as QUrl::host() gives it). Not
// "localhost." with the final dot: that name is asked of DNS, which may
// answer with any address.
inline bool CalDavLoopbackHost(const QString& host) {
    const QString name = host.toLower();
    if (name == QLatin1String("localhost")) return true;
    const QHostAddress address(name);
    return !address.isNull() && address.isLoopback();
}

// Empty when a request may go to the address, else why not.
inline QString CalDavUrlProblem(const QUrl& url, const QString& typed = {}) {
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() || (scheme != "https" && scheme != "http"))
        return QStringLiteral(
                   "\"%1\" is not a server address; it looks like "
                   "https://calendar.example.org/.")
            .arg(typed.isEmpty() ? url.toDisplayString(QUrl::RemoveUserInfo) : typed);
    if (scheme == "http" && !CalDavLoopbackHost(url.host()))
        return QStringLiteral(
                   "Plain http would send the password to %1 unprotected; use an https "
                   "address (http is allowed only for this computer).")
            .arg(url.host());
    return {};
}

// The same for an address as the user typed it.
inline QString CalDavAddressProblem(const QString& typed) {
    if (typed.trimmed().isEmpty()) return QStringLiteral("Enter the address of the server.");
    return CalDavUrlProblem(QUrl(typed.trimmed(), QUrl::StrictMode), typed.trimmed());
}
