// A socket served from its descriptor: nothing written is lost or reordered when the kernel
// takes only part of it, reads bigger than one buffer arrive whole, and the peer's close is
// reported once, from the event loop, and not at all after abort.

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <vector>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include "commserver/socketstream.h"

namespace {

using kvr::commserver::SocketStream;

bool spinUntil(const std::function<bool()>& done, int ms = 5000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

std::vector<std::uint8_t> pattern(std::size_t size)
{
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
    return bytes;
}

struct SocketPair : ::testing::Test {
    void SetUp() override
    {
        int fds[2];
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
        served = fds[0];
        peer = fds[1];
        // Small buffers, so a write of a few hundred kilobytes cannot go at once.
        const int size = 4096;
        ::setsockopt(served, SOL_SOCKET, SO_SNDBUF, &size, sizeof(size));
        ::setsockopt(peer, SOL_SOCKET, SO_RCVBUF, &size, sizeof(size));
        ::fcntl(peer, F_SETFL, ::fcntl(peer, F_GETFL) | O_NONBLOCK);
    }
    void TearDown() override
    {
        if (peer >= 0)
            ::close(peer);
    }
    // What the peer can read now.
    void drainPeer(std::vector<std::uint8_t>& into)
    {
        std::uint8_t buffer[8192];
        ssize_t n;
        while ((n = ::read(peer, buffer, sizeof(buffer))) > 0)
            into.insert(into.end(), buffer, buffer + n);
    }
    int served = -1;
    int peer = -1;
};

TEST_F(SocketPair, WritesBeyondWhatTheKernelTakesArriveWholeAndInOrder)
{
    SocketStream stream(served);
    const auto first = pattern(300000);
    const auto second = pattern(1000);
    ASSERT_TRUE(stream.write(first));
    EXPECT_GT(stream.bytesToWrite(), 0u) << "the kernel took all of it; the test proves nothing";
    // Written while the first still waits: it must queue behind it, not jump ahead.
    ASSERT_TRUE(stream.write(second));
    std::vector<std::uint8_t> received;
    ASSERT_TRUE(spinUntil([&] {
        drainPeer(received);
        return received.size() >= first.size() + second.size();
    }));
    std::vector<std::uint8_t> expected = first;
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(received, expected);
    EXPECT_EQ(stream.bytesToWrite(), 0u);
}

TEST_F(SocketPair, ReadsBiggerThanOneBufferArriveWhole)
{
    SocketStream stream(served);
    std::vector<std::uint8_t> received;
    stream.onBytes = [&](std::span<const std::uint8_t> bytes) { received.insert(received.end(), bytes.begin(), bytes.end()); };
    const auto sent = pattern(200000);
    std::size_t at = 0;
    ASSERT_TRUE(spinUntil([&] {
        const ssize_t n = ::write(peer, sent.data() + at, sent.size() - at);
        if (n > 0)
            at += static_cast<std::size_t>(n);
        return received.size() == sent.size();
    }));
    EXPECT_EQ(received, sent);
}

TEST_F(SocketPair, ThePeersCloseIsReportedOnceAfterItsLastBytes)
{
    SocketStream stream(served);
    std::vector<std::uint8_t> received;
    int closed = 0;
    std::size_t receivedWhenClosed = 0;
    stream.onBytes = [&](std::span<const std::uint8_t> bytes) { received.insert(received.end(), bytes.begin(), bytes.end()); };
    stream.onClosed = [&] {
        ++closed;
        receivedWhenClosed = received.size();
    };
    const std::uint8_t last[] = {1, 2, 3};
    ASSERT_EQ(::write(peer, last, sizeof(last)), 3);
    ::close(peer);
    peer = -1;
    ASSERT_TRUE(spinUntil([&] { return closed > 0; }));
    spinUntil([] { return false; }, 50);
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(receivedWhenClosed, 3u);
    EXPECT_FALSE(stream.isOpen());
    const std::uint8_t more[] = {4};
    EXPECT_FALSE(stream.write(more));
}

// A write to a peer that has gone fails; the failure is reported from the event loop, so the
// owner is never torn down inside its own write, and an owner that aborts hears nothing more.
TEST_F(SocketPair, AFailedWriteIsReportedFromTheEventLoopUnlessAborted)
{
    for (const bool abortAfterWrite : {false, true}) {
        SetUp();
        SocketStream stream(served);
        int closed = 0;
        stream.onClosed = [&] { ++closed; };
        ::close(peer);
        peer = -1;
        const std::uint8_t bytes[] = {1};
        EXPECT_FALSE(stream.write(bytes));
        EXPECT_EQ(closed, 0) << "reported inside write";
        if (abortAfterWrite)
            stream.abort();
        spinUntil([&] { return closed > 0; }, abortAfterWrite ? 50 : 5000);
        EXPECT_EQ(closed, abortAfterWrite ? 0 : 1) << "aborted: " << abortAfterWrite;
    }
}

} // namespace
