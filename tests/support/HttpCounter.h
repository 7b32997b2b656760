#pragma once

#include <QByteArray>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <thread>

namespace kumiro::test {

// A web server on 127.0.0.1 that counts the connections made to it and answers each
// with a small picture: the place a hostile document points the office at.
class HttpCounter {
public:
    HttpCounter()
    {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        if (::bind(fd_, reinterpret_cast<sockaddr*>(&addr), len) != 0 || ::listen(fd_, 16) != 0 ||
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
            ::close(fd_);
            fd_ = -1;
            return;
        }
        port_ = ntohs(addr.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~HttpCounter()
    {
        stop_ = true;
        if (fd_ >= 0)
            ::shutdown(fd_, SHUT_RDWR);
        if (thread_.joinable())
            thread_.join();
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool ok() const { return port_ > 0; }
    int port() const { return port_; }
    int count() const { return count_; }
    void reset() { count_ = 0; }
    QByteArray url(const char* path) const { return "http://127.0.0.1:" + QByteArray::number(port_) + path; }

private:
    void serve()
    {
        static const char reply[] = "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 2\r\n\r\n42";
        while (!stop_) {
            const int client = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0)
                continue;
            ++count_;
            char buffer[4096];
            timeval wait{1, 0};
            ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
            (void)::recv(client, buffer, sizeof buffer, 0);
            (void)::send(client, reply, sizeof reply - 1, MSG_NOSIGNAL);
            ::close(client);
        }
    }

    int fd_ = -1;
    int port_ = 0;
    std::atomic<int> count_{0};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

} // namespace kumiro::test
