// The HTTP client of the factory test run against a small in-process server.

#include "service/factorytest/networkfetcher.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>

#include <ctime>

namespace {

using kvr::service::NetworkFetcher;

// Answers by request path: /crlf and /lf with 200 and a text, /huge with an endless body,
// /silent never, anything else 404.
class StubServer {
public:
    StubServer()
    {
        server.listen(QHostAddress::LocalHost);
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* s = server.nextPendingConnection())
                QObject::connect(s, &QTcpSocket::readyRead, s, [this, s] { Answer(s); });
        });
    }
    std::string Url(const char* Path) const { return "http://127.0.0.1:" + std::to_string(server.serverPort()) + Path; }

private:
    void Answer(QTcpSocket* S)
    {
        const QByteArray request = S->readAll();
        const QByteArray path = request.split(' ').value(1);
        if (path == "/silent")
            return;
        if (path == "/huge") {
            S->write("HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nConnection: close\r\n\r\n");
            const QByteArray chunk(64 * 1024, 'x');
            for (int i = 0; i < 80; ++i)
                S->write(chunk);
            return;
        }
        QByteArray body;
        QByteArray head = "HTTP/1.1 200 OK";
        if (path == "/crlf")
            body = "line 1\r\nline 2\r\n";
        else if (path == "/lf")
            body = "line 1\nline 2\n";
        else
            head = "HTTP/1.1 404 Not Found";
        S->write(head + "\r\nContent-Type: text/plain\r\nContent-Length: " + QByteArray::number(body.size()) +
                 "\r\nConnection: close\r\n\r\n" + body);
        S->disconnectFromHost();
    }

    QTcpServer server;
};

int WaitForState(NetworkFetcher& F, int Ms = 5000)
{
    QElapsedTimer t;
    t.start();
    while (F.State() == 0 && t.elapsed() < Ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return F.State();
}

TEST(NetworkFetcher, MapsAnswersToStates)
{
    StubServer stub;
    QTcpServer closed;
    closed.listen(QHostAddress::LocalHost);
    const std::string refused = "http://127.0.0.1:" + std::to_string(closed.serverPort()) + "/x";
    closed.close();

    struct Case {
        std::string Url;
        int State;
        std::string Body;
    };
    const Case cases[] = {
        {stub.Url("/crlf"), 1, "line 1\r\nline 2\r\n"},
        {stub.Url("/lf"), 1, "line 1\nline 2\n"},
        {stub.Url("/7300/00/log00987.txt"), 2, ""},
        {stub.Url("/huge"), 2, ""},
        {refused, 4, ""},
        {"http://no-such-host.invalid/x", 4, ""},
    };
    NetworkFetcher f;
    for (const Case& c : cases) {
        f.Get(c.Url);
        EXPECT_EQ(WaitForState(f), c.State) << c.Url;
        EXPECT_EQ(f.Body(), c.Body) << c.Url;
    }
}

TEST(NetworkFetcher, ASilentServerStaysWaitingUntilAborted)
{
    StubServer stub;
    NetworkFetcher f;
    f.Get(stub.Url("/silent"));
    EXPECT_EQ(WaitForState(f, 300), 0);
    f.Abort();
    QCoreApplication::processEvents();
    EXPECT_EQ(f.State(), 0) << "the run sets the time-out itself";
    // The fetcher takes the next request afterwards.
    f.Get(stub.Url("/lf"));
    EXPECT_EQ(WaitForState(f), 1);
}

// The wait ends with the reply, not at its deadline, and a silent server costs no processor time
// while the wait runs out.
TEST(NetworkFetcher, WaitsIdleForTheReply)
{
    StubServer stub;
    NetworkFetcher f;
    QElapsedTimer t;
    t.start();
    f.Get(stub.Url("/lf"));
    f.Wait(20000);
    EXPECT_EQ(f.State(), 1);
    EXPECT_LT(t.elapsed(), 10000);

    f.Get(stub.Url("/silent"));
    const std::clock_t cpu = std::clock();
    t.restart();
    f.Wait(400);
    EXPECT_EQ(f.State(), 0);
    EXPECT_GE(t.elapsed(), 390);
    EXPECT_LT(double(std::clock() - cpu) / CLOCKS_PER_SEC, 0.2) << "the wait sleeps";
    f.Abort();
}

} // namespace
