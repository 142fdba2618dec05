#pragma once

#include "support/TestHttpServer.h"

#include <QByteArray>

class QTcpSocket;

namespace orvanto::test {

// Answers the request that comes on `socket` as `server`'s route for its path says, on the
// thread the socket lives on; the answer ends with the socket.
void answerConnection(TestHttpServer& server, QTcpSocket* socket);

// The test server's audio: the header of a mono 16-bit PCM WAV file with `dataBytes` of samples
// (by default an endless one), and `bytes` of a quiet square wave from byte `offset` on.
QByteArray wavHeader(quint32 dataBytes = 0xffffffffu);
QByteArray pcm(qint64 offset, qint64 bytes);

} // namespace orvanto::test
