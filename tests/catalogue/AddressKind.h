#pragma once

#include <QString>

// Reading a stream address the way the built-in tables are described: which kind it is, its host
// and port, and the access tokens in its query. Test-only; the program never parses addresses.
namespace addresskind {

struct Parts {
    QString scheme; // as written ("mms", "MMS", "http")
    QString host;   // without the port
    QString port;   // empty when none is given
    QString path;   // from the first "/" after the host up to "?"; empty when there is none
    QString query;  // after the first "?"
    bool hasQuery = false;
};

Parts split(const QString& url);

// One of the kind names "mms", "mms-port", ..., "php", "asp", or "unknown".
QString kindOf(const QString& url);

// The value of the `sid` or `key` query parameter, or an empty string.
QString sidOf(const QString& url);
QString keyOf(const QString& url);

// A GUID, "-", one or two digits, "-", one to six digits.
bool isSidForm(const QString& sid);
// Base64 text URL-encoded twice, "+", "/" and "=" written as "%252b", "%252f", "%253d".
bool isDoubleEncodedBase64(const QString& key);

// example.com, example.net, example.org, a name below them, or a name in the .example domain.
bool isReservedExampleHost(const QString& host);

} // namespace addresskind
