#include "support/LabServers.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <unistd.h>

namespace orvanto::test {

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int StartMs = 20000; // a loaded machine, under ASan

const QString kSourcePassword = u"labsource"_s;

// A moving picture and a tone, in real time: what a live channel sends.
QStringList liveInputs(bool video) {
    QStringList args{u"-hide_banner"_s, u"-loglevel"_s, u"error"_s, u"-nostdin"_s, u"-re"_s};
    if (video) {
        args << u"-f"_s << u"lavfi"_s << u"-i"_s << u"testsrc2=size=320x180:rate=15"_s;
    }
    args << u"-f"_s << u"lavfi"_s << u"-i"_s << u"sine=frequency=440:sample_rate=44100"_s;
    return args;
}

QStringList h264() {
    return {u"-c:v"_s,          u"libx264"_s, u"-preset"_s, u"ultrafast"_s,   u"-tune"_s,
            u"zerolatency"_s,   u"-g"_s,      u"30"_s,      u"-keyint_min"_s, u"30"_s,
            u"-sc_threshold"_s, u"0"_s};
}

QStringList hlsOutput() {
    return {u"-f"_s,
            u"hls"_s,
            u"-hls_time"_s,
            u"2"_s,
            u"-hls_list_size"_s,
            u"6"_s,
            u"-hls_flags"_s,
            u"delete_segments+independent_segments"_s};
}

} // namespace

struct LabServers::Server {
    QString name;
    QString program;
    QStringList arguments;
    std::unique_ptr<QProcess> process;
};

LabServers::LabServers() {
    // Servers that drop root (icecast2) must still reach their files.
    QFile::setPermissions(dir_.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                           QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                                           QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                           QFileDevice::ExeOther);
}

LabServers::~LabServers() {
    // Sources first, then the servers they feed.
    for (auto it = servers_.rbegin(); it != servers_.rend(); ++it) {
        stop(it->get());
    }
}

quint16 LabServers::freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

bool LabServers::fail(const QString& reason) {
    error_ = reason;
    return false;
}

LabServers::Server* LabServers::launch(const QString& name, const QString& program,
                                       const QStringList& arguments) {
    const QString found = QStandardPaths::findExecutable(program, {u"/usr/sbin"_s, u"/usr/bin"_s});
    if (found.isEmpty()) {
        fail(u"%1 is not installed (scripts/deps.sh installs it)"_s.arg(program));
        return nullptr;
    }
    auto server = std::make_shared<Server>();
    server->name = name;
    server->program = found;
    server->arguments = arguments;
    server->process = std::make_unique<QProcess>();
    server->process->setWorkingDirectory(dir_.path());
    server->process->setStandardInputFile(QProcess::nullDevice());
    server->process->setStandardOutputFile(QProcess::nullDevice());
    server->process->setStandardErrorFile(path(name + u".log"_s), QIODevice::Append);
    server->process->start(found, arguments);
    if (!server->process->waitForStarted(StartMs)) {
        fail(u"%1 did not start: %2"_s.arg(name, server->process->errorString()));
        return nullptr;
    }
    servers_.append(server);
    return server.get();
}

void LabServers::stop(Server* server) {
    if (!server || !server->process || server->process->state() == QProcess::NotRunning) {
        return;
    }
    server->process->terminate();
    if (!server->process->waitForFinished(3000)) {
        server->process->kill();
        server->process->waitForFinished(3000);
    }
}

bool LabServers::waitForPlaylist(const QString& file, int segments, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        QFile playlist(file);
        if (playlist.open(QIODevice::ReadOnly) && playlist.readAll().count("#EXTINF") >= segments) {
            return true;
        }
        QThread::msleep(100);
    }
    return fail(u"%1 has fewer than %2 segments after %3 ms (see the logs in %4)"_s.arg(file)
                    .arg(segments)
                    .arg(timeoutMs)
                    .arg(dir_.path()));
}

// Waits until ffmpeg has written two segments of each DASH stream (video and audio) and its
// manifest.
bool LabServers::waitForDash(const QString& folder) {
    QDeadlineTimer deadline(StartMs);
    while (!deadline.hasExpired()) {
        const QDir dir(folder);
        if (dir.exists(u"live.mpd"_s) &&
            dir.entryList({u"chunk-stream0-*.m4s"_s}, QDir::Files).size() >= 2 &&
            dir.entryList({u"chunk-stream1-*.m4s"_s}, QDir::Files).size() >= 2) {
            return true;
        }
        QThread::msleep(100);
    }
    return fail(u"ffmpeg wrote no DASH stream in %1 ms (see %2)"_s.arg(StartMs).arg(folder));
}

// Asks for `url` until the server answers 200.
bool LabServers::waitForHttp(const QUrl& url, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    QByteArray last;
    while (!deadline.hasExpired()) {
        QTcpSocket socket;
        socket.connectToHost(url.host(), quint16(url.port()));
        if (socket.waitForConnected(1000)) {
            socket.write("GET " + url.path().toLatin1() +
                         " HTTP/1.0\r\nHost: " + url.host().toLatin1() + "\r\n\r\n");
            QByteArray answer;
            while (!answer.contains('\n') && socket.waitForReadyRead(1000)) {
                answer += socket.readAll();
            }
            last = answer.left(answer.indexOf('\n')).trimmed();
            if (last.contains(" 200 ")) {
                return true;
            }
        }
        // The event loop runs meanwhile: a player under test goes on while a server comes up.
        QEventLoop pause;
        QTimer::singleShot(100, &pause, &QEventLoop::quit);
        pause.exec();
    }
    return fail(u"%1 did not answer 200 in %2 ms (last: \"%3\"; logs in %4)"_s.arg(url.toString())
                    .arg(timeoutMs)
                    .arg(QString::fromLatin1(last), dir_.path()));
}

bool LabServers::startHls() {
    const QString www = path(u"www"_s);
    QDir().mkpath(www + u"/hls"_s);
    QDir().mkpath(www + u"/vod"_s);
    QDir().mkpath(www + u"/dash"_s);
    QDir().mkpath(path(u"nginx-temp"_s));
    nginxPort_ = freePort();
    QFile config(path(u"nginx.conf"_s));
    if (!config.open(QIODevice::WriteOnly)) {
        return fail(u"cannot write %1"_s.arg(config.fileName()));
    }
    const QByteArray temp = path(u"nginx-temp"_s).toUtf8();
    config.write("daemon off;\n"
                 "master_process off;\n"
                 "worker_processes 1;\n"
                 "pid " +
                 path(u"nginx.pid"_s).toUtf8() +
                 ";\n"
                 "error_log " +
                 path(u"nginx-error.log"_s).toUtf8() +
                 " warn;\n"
                 "events { worker_connections 256; }\n"
                 "http {\n"
                 "    access_log off;\n"
                 "    client_body_temp_path " +
                 temp + "/body;\n    proxy_temp_path " + temp + "/proxy;\n    fastcgi_temp_path " +
                 temp + "/fastcgi;\n    uwsgi_temp_path " + temp + "/uwsgi;\n    scgi_temp_path " +
                 temp +
                 "/scgi;\n"
                 "    types { application/vnd.apple.mpegurl m3u8; video/mp2t ts; "
                 "application/dash+xml mpd; video/mp4 m4s; }\n"
                 "    server {\n"
                 "        listen 127.0.0.1:" +
                 QByteArray::number(nginxPort_) +
                 ";\n"
                 "        root " +
                 www.toUtf8() +
                 ";\n"
                 "        location = /hls/moved.m3u8 { return 302 /hls/live_0.m3u8; }\n"
                 "        location /hls/ { add_header Cache-Control no-cache; }\n"
                 "        location /dash/ { add_header Cache-Control no-cache; }\n"
                 "    }\n"
                 "}\n");
    config.close();

    // A finished 6-second stream first (ffmpeg writes it at full speed).
    QProcess vod;
    vod.setWorkingDirectory(www + u"/vod"_s);
    QStringList vodArgs{u"-hide_banner"_s, u"-loglevel"_s,
                        u"error"_s,        u"-nostdin"_s,
                        u"-f"_s,           u"lavfi"_s,
                        u"-i"_s,           u"testsrc2=size=320x180:rate=15:duration=6"_s,
                        u"-f"_s,           u"lavfi"_s,
                        u"-i"_s,           u"sine=frequency=440:sample_rate=44100:duration=6"_s};
    vodArgs << h264() << u"-c:a"_s << u"aac"_s << u"-f"_s << u"hls"_s << u"-hls_time"_s << u"2"_s
            << u"-hls_playlist_type"_s << u"vod"_s << u"vod.m3u8"_s;
    vod.setStandardErrorFile(path(u"ffmpeg-vod.log"_s));
    vod.start(u"ffmpeg"_s, vodArgs);
    if (!vod.waitForFinished(StartMs) || vod.exitCode() != 0) {
        return fail(
            u"ffmpeg could not write the VOD stream (see %1)"_s.arg(path(u"ffmpeg-vod.log"_s)));
    }

    if (!launch(u"nginx"_s, u"nginx"_s,
                {u"-e"_s, path(u"nginx-error.log"_s), u"-c"_s, config.fileName()})) {
        return false;
    }
    QStringList live = liveInputs(true);
    live << u"-map"_s << u"0:v"_s << u"-map"_s << u"0:v"_s << u"-map"_s << u"1:a"_s << u"-map"_s
         << u"1:a"_s << h264() << u"-filter:v:1"_s << u"scale=160:90"_s << u"-b:v:0"_s << u"400k"_s
         << u"-b:v:1"_s << u"150k"_s << u"-c:a"_s << u"aac"_s << u"-b:a"_s << u"64k"_s
         << hlsOutput() << u"-master_pl_name"_s << u"master.m3u8"_s << u"-var_stream_map"_s
         << u"v:0,a:0 v:1,a:1"_s << u"-hls_segment_filename"_s << www + u"/hls/live_%v_%03d.ts"_s
         << www + u"/hls/live_%v.m3u8"_s;
    if (!launch(u"ffmpeg-hls"_s, u"ffmpeg"_s, live)) {
        return false;
    }
    QStringList audio = liveInputs(false);
    audio << u"-c:a"_s << u"aac"_s << u"-b:a"_s << u"64k"_s << hlsOutput()
          << u"-hls_segment_filename"_s << www + u"/hls/audio_%03d.ts"_s
          << www + u"/hls/audio.m3u8"_s;
    if (!launch(u"ffmpeg-hls-audio"_s, u"ffmpeg"_s, audio)) {
        return false;
    }
    // Live DASH: a sliding window of 2-second segments, old ones deleted.
    QStringList dash = liveInputs(true);
    dash << h264() << u"-b:v"_s << u"300k"_s << u"-c:a"_s << u"aac"_s << u"-b:a"_s << u"64k"_s
         << u"-f"_s << u"dash"_s << u"-seg_duration"_s << u"2"_s << u"-window_size"_s << u"6"_s
         << u"-extra_window_size"_s << u"3"_s << u"-use_template"_s << u"1"_s << u"-use_timeline"_s
         << u"1"_s << www + u"/dash/live.mpd"_s;
    if (!launch(u"ffmpeg-dash"_s, u"ffmpeg"_s, dash)) {
        return false;
    }
    return waitForPlaylist(www + u"/hls/live_0.m3u8"_s, 2, StartMs) &&
           waitForPlaylist(www + u"/hls/live_1.m3u8"_s, 2, StartMs) &&
           waitForPlaylist(www + u"/hls/audio.m3u8"_s, 2, StartMs) &&
           waitForHttp(hls(u"/hls/master.m3u8"_s), StartMs) && waitForDash(www + u"/dash"_s);
}

QUrl LabServers::hls(const QString& file) const {
    return QUrl(u"http://127.0.0.1:%1%2"_s.arg(nginxPort_).arg(file));
}

bool LabServers::startIcecast() {
    icecastPort_ = freePort();
    const QString logs = path(u"icecast-log"_s);
    QDir().mkpath(logs);
    // Icecast refuses to run as root unless it drops to another user, who must write its logs.
    QFile::setPermissions(logs, QFileDevice::Permissions(0x7777));
    const bool root = geteuid() == 0;
    QFile config(path(u"icecast.xml"_s));
    if (!config.open(QIODevice::WriteOnly)) {
        return fail(u"cannot write %1"_s.arg(config.fileName()));
    }
    config.write(
        "<icecast>\n"
        "  <location>lab</location><admin>lab@localhost</admin>\n"
        "  <limits><clients>100</clients><sources>8</sources><burst-on-connect>1</burst-on-connect>"
        "<burst-size>65535</burst-size><source-timeout>10</source-timeout></limits>\n"
        "  <authentication><source-password>" +
        kSourcePassword.toUtf8() +
        "</source-password><admin-user>admin</admin-user>"
        "<admin-password>labadmin</admin-password></authentication>\n"
        "  <hostname>127.0.0.1</hostname>\n"
        "  <listen-socket><port>" +
        QByteArray::number(icecastPort_) +
        "</port><bind-address>127.0.0.1</bind-address></listen-socket>\n"
        "  <paths><basedir>/usr/share/icecast2</basedir><logdir>" +
        logs.toUtf8() +
        "</logdir><webroot>/usr/share/icecast2/web</webroot>"
        "<adminroot>/usr/share/icecast2/admin</adminroot></paths>\n"
        "  <logging><accesslog>access.log</accesslog><errorlog>error.log</errorlog>"
        "<loglevel>2</loglevel></logging>\n"
        "  <security><chroot>0</chroot>" +
        QByteArray(root ? "<changeowner><user>nobody</user><group>nogroup</group></changeowner>"
                        : "") +
        "</security>\n"
        "</icecast>\n");
    config.close();
    if (!launch(u"icecast2"_s, u"icecast2"_s, {u"-c"_s, config.fileName()})) {
        return false;
    }
    if (!waitForHttp(icecast(u"/status-json.xsl"_s), StartMs)) {
        return false;
    }
    return startIcecastSource(u"/radio.mp3"_s) && startIcecastSource(u"/radio.aac"_s);
}

QUrl LabServers::icecast(const QString& mount) const {
    return QUrl(u"http://127.0.0.1:%1%2"_s.arg(icecastPort_).arg(mount));
}

bool LabServers::startIcecastSource(const QString& mount) {
    QStringList args = liveInputs(false);
    if (mount.endsWith(u".mp3"_s)) {
        args << u"-c:a"_s << u"libmp3lame"_s << u"-b:a"_s << u"64k"_s << u"-content_type"_s
             << u"audio/mpeg"_s << u"-f"_s << u"mp3"_s;
    } else {
        args << u"-c:a"_s << u"aac"_s << u"-b:a"_s << u"64k"_s << u"-content_type"_s
             << u"audio/aac"_s << u"-f"_s << u"adts"_s;
    }
    args << u"icecast://source:%1@127.0.0.1:%2%3"_s.arg(kSourcePassword)
                .arg(icecastPort_)
                .arg(mount);
    return launch(u"ffmpeg-source"_s + QString(mount).replace(u'/', u'-'), u"ffmpeg"_s, args) &&
           waitForHttp(icecast(mount), StartMs);
}

void LabServers::stopIcecastSource(const QString& mount) {
    const QString name = u"ffmpeg-source"_s + QString(mount).replace(u'/', u'-');
    for (const auto& server : servers_) {
        if (server->name == name) {
            stop(server.get());
        }
    }
}

QUrl LabServers::startListenTs(quint16 port) {
    if (port == 0) {
        port = freePort();
    }
    const QUrl address(u"http://127.0.0.1:%1/live.ts"_s.arg(port));
    QStringList args = liveInputs(true);
    args << h264() << u"-c:a"_s << u"aac"_s << u"-b:a"_s << u"64k"_s << u"-f"_s << u"mpegts"_s
         << u"-listen"_s << u"1"_s << address.toString();
    if (!launch(u"ffmpeg-listen-%1"_s.arg(port), u"ffmpeg"_s, args)) {
        return {};
    }
    // It listens once its inputs run; asking it would use up its one client, so wait for the
    // port alone.
    QDeadlineTimer deadline(StartMs);
    while (!deadline.hasExpired()) {
        QTcpServer probe;
        if (!probe.listen(QHostAddress::LocalHost, port)) {
            return address; // taken: ffmpeg listens
        }
        probe.close();
        QThread::msleep(50);
    }
    fail(u"ffmpeg -listen did not listen on port %1"_s.arg(port));
    return {};
}

void LabServers::stopListenTs(const QUrl& address) {
    const QString name = u"ffmpeg-listen-%1"_s.arg(address.port());
    for (const auto& server : servers_) {
        if (server->name == name) {
            stop(server.get());
        }
    }
}

QByteArray LabServers::mp3(int seconds) {
    const QString file = path(u"tone-%1.mp3"_s.arg(seconds));
    QProcess ffmpeg;
    ffmpeg.start(u"ffmpeg"_s, {u"-hide_banner"_s, u"-loglevel"_s, u"error"_s, u"-nostdin"_s,
                               u"-y"_s, u"-f"_s, u"lavfi"_s, u"-i"_s,
                               u"sine=frequency=330:sample_rate=44100:duration=%1"_s.arg(seconds),
                               u"-c:a"_s, u"libmp3lame"_s, u"-b:a"_s, u"64k"_s,
                               // Bare frames, so that the file can be sent round and round.
                               u"-id3v2_version"_s, u"0"_s, u"-write_xing"_s, u"0"_s, file});
    if (!ffmpeg.waitForFinished(StartMs) || ffmpeg.exitCode() != 0) {
        fail(u"ffmpeg could not make an MP3 file"_s);
        return {};
    }
    QFile mp3(file);
    return mp3.open(QIODevice::ReadOnly) ? mp3.readAll() : QByteArray();
}

} // namespace orvanto::test
