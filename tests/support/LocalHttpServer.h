#pragma once
// A small HTTP server on 127.0.0.1 and a free port, run by the test itself in
// its event loop: each request is handed to Answer, which writes whatever the
// case needs (a status, a body cut short, a trickle, nothing at all).

#include "TestFiles.h"

#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace testhttp {

// The bytes the test servers serve as a station file: Sterling's zip.
inline const std::string& StationZip()
{
    static const std::string bytes = testfiles::Slurp(PROFILORA_DATA_DIR "/USM00072403-data-beg2016.txt.zip");
    return bytes;
}

struct TSeen {
    std::string Path;
    std::map<std::string, std::string> Headers;  // names in lower case
};

class TLocalHttpServer : public QObject {
public:
    std::function<void(QTcpSocket& Socket, const TSeen& Request)> Answer;
    std::vector<TSeen> Requests;

    TLocalHttpServer()
    {
        server_.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                socket->setParent(this);
                auto buffer = std::make_shared<std::string>();
                QObject::connect(socket, &QTcpSocket::readyRead, this, [this, socket, buffer] {
                    *buffer += socket->readAll().toStdString();
                    const std::size_t end = buffer->find("\r\n\r\n");
                    if (end == std::string::npos) return;
                    TSeen seen = Parse(buffer->substr(0, end));
                    buffer->erase(0, end + 4);
                    Requests.push_back(seen);
                    if (Answer) Answer(*socket, seen);
                });
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }

    std::string Base() const { return "http://127.0.0.1:" + std::to_string(server_.serverPort()) + "/"; }

    // A whole answer, the connection closed after it.
    static void Reply(QTcpSocket& Socket, int Status, const std::string& Headers, const std::string& Body,
                      bool WithLength = true)
    {
        std::string head = "HTTP/1.1 " + std::to_string(Status) + " Status\r\nConnection: close\r\n" + Headers;
        if (WithLength) head += "Content-Length: " + std::to_string(Body.size()) + "\r\n";
        Socket.write((head + "\r\n").data(), qint64(head.size() + 2));
        Socket.write(Body.data(), qint64(Body.size()));
        Socket.disconnectFromHost();
    }

    // Headers declaring Total bytes, then Body in Piece-sized parts every
    // IntervalMs, the connection closed after the last.
    static void Trickle(QTcpSocket& Socket, std::string Body, std::size_t Piece, int IntervalMs, std::uint64_t Total)
    {
        const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(Total) + "\r\n\r\n";
        Socket.write(head.data(), qint64(head.size()));
        auto* timer = new QTimer(&Socket);
        auto rest = std::make_shared<std::string>(std::move(Body));
        QPointer<QTcpSocket> socket(&Socket);
        QObject::connect(timer, &QTimer::timeout, timer, [socket, rest, Piece, timer] {
            if (!socket) return;
            const std::size_t n = std::min(Piece, rest->size());
            socket->write(rest->data(), qint64(n));
            rest->erase(0, n);
            if (rest->empty()) {
                timer->stop();
                socket->disconnectFromHost();
            }
        });
        timer->start(IntervalMs);
    }

private:
    static TSeen Parse(const std::string& Head)
    {
        TSeen seen;
        std::size_t at = Head.find(' ');
        const std::size_t pathEnd = Head.find(' ', at + 1);
        seen.Path = Head.substr(at + 1, pathEnd - at - 1);
        at = Head.find("\r\n");
        while (at != std::string::npos && at + 2 < Head.size()) {
            const std::size_t end = Head.find("\r\n", at + 2);
            const std::string line = Head.substr(at + 2, end == std::string::npos ? std::string::npos : end - at - 2);
            const std::size_t colon = line.find(':');
            if (colon != std::string::npos) {
                std::string name = line.substr(0, colon);
                for (char& c : name) c = char(std::tolower(static_cast<unsigned char>(c)));
                seen.Headers[name] = line.substr(line.find_first_not_of(' ', colon + 1));
            }
            at = end;
        }
        return seen;
    }

    QTcpServer server_;
};

}  // namespace testhttp
