// bench_load PORT LOGIN_BODY LIST_BODY CLIENTS SECONDS MAX_REQUESTS: a load client for a SOAP
// service on 127.0.0.1:PORT (loopback only). Posts LOGIN_BODY once (the service answers company
// operations only for an address that logged in; "-" skips it), then CLIENTS keep-alive connections
// post LIST_BODY one request after the other until SECONDS have passed or MAX_REQUESTS were sent.
// An answer counts as an error unless it is HTTP 200 with result code 1110. Prints one line:
// "requests N errors E seconds S rps R p50_ms A p99_ms B".
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::string readFile(const char *path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class Connection {
public:
    explicit Connection(int port) : port_(port) {}
    ~Connection() { close(); }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    // Sends one request and reads its whole answer; false when the connection failed.
    bool exchange(const std::string &request, int &status, std::string &body) {
        if (fd_ < 0 && !open()) {
            return false;
        }
        if (!sendAll(request) || !readAnswer(status, body)) {
            close();
            return false;
        }
        return true;
    }

private:
    bool open() {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port_));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (fd_ < 0 || ::connect(fd_, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
            close();
            return false;
        }
        const int one = 1;
        ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        return true;
    }
    void close() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = -1;
        buffer_.clear();
    }
    bool sendAll(const std::string &data) {
        for (size_t sent = 0; sent < data.size();) {
            const ssize_t n = ::send(fd_, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) {
                return false;
            }
            sent += size_t(n);
        }
        return true;
    }
    bool fill() {
        char chunk[65536];
        const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
        if (n <= 0) {
            return false;
        }
        buffer_.append(chunk, size_t(n));
        return true;
    }
    bool readAnswer(int &status, std::string &body) {
        size_t end;
        while ((end = buffer_.find("\r\n\r\n")) == std::string::npos) {
            if (!fill()) {
                return false;
            }
        }
        std::string head = buffer_.substr(0, end);
        buffer_.erase(0, end + 4);
        std::transform(head.begin(), head.end(), head.begin(),
                       [](unsigned char c) { return std::tolower(c); });
        status = head.size() > 12 ? std::atoi(head.c_str() + 9) : 0;
        const size_t at = head.find("content-length:");
        if (at == std::string::npos) {
            return false;
        }
        const size_t length = std::strtoull(head.c_str() + at + 15, nullptr, 10);
        while (buffer_.size() < length) {
            if (!fill()) {
                return false;
            }
        }
        body.assign(buffer_, 0, length);
        buffer_.erase(0, length);
        if (head.find("connection: close") != std::string::npos) {
            close();
        }
        return true;
    }

    int port_;
    int fd_ = -1;
    std::string buffer_;
};

std::string httpRequest(int port, const std::string &body) {
    return "POST /PictureService.asmx HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
           "\r\nContent-Type: text/xml; charset=utf-8\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\n\r\n" + body;
}

bool succeeded(int status, const std::string &body) {
    return status == 200 && body.find(">1110</") != std::string::npos;
}

} // namespace

int main(int argc, char *argv[]) {
    if (argc != 7) {
        std::fputs("usage: bench_load PORT LOGIN_BODY LIST_BODY CLIENTS SECONDS MAX_REQUESTS\n", stderr);
        return 2;
    }
    const int port = std::atoi(argv[1]);
    const int clients = std::max(1, std::atoi(argv[4]));
    const auto duration = std::chrono::duration<double>(std::atof(argv[5]));
    const long maxRequests = std::atol(argv[6]);
    if (std::strcmp(argv[2], "-") != 0) {
        Connection login(port);
        int status = 0;
        std::string body;
        if (!login.exchange(httpRequest(port, readFile(argv[2])), status, body) || !succeeded(status, body)) {
            std::fprintf(stderr, "bench_load: the login failed (HTTP %d)\n", status);
            return 1;
        }
    }
    const std::string request = httpRequest(port, readFile(argv[3]));

    std::atomic<long> issued{0};
    std::atomic<long> errors{0};
    std::mutex lock;
    std::vector<double> latencies; // milliseconds
    const Clock::time_point start = Clock::now();
    const Clock::time_point stop = start + std::chrono::duration_cast<Clock::duration>(duration);
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c) {
        threads.emplace_back([&] {
            Connection connection(port);
            std::vector<double> mine;
            std::string body;
            while (Clock::now() < stop && issued.fetch_add(1) < maxRequests) {
                const Clock::time_point t0 = Clock::now();
                int status = 0;
                const bool ok = connection.exchange(request, status, body) && succeeded(status, body);
                mine.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
                if (!ok) {
                    ++errors;
                }
            }
            const std::lock_guard<std::mutex> guard(lock);
            latencies.insert(latencies.end(), mine.begin(), mine.end());
        });
    }
    for (std::thread &t : threads) {
        t.join();
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::sort(latencies.begin(), latencies.end());
    const auto percentile = [&](double p) {
        return latencies.empty()
                   ? 0.0
                   : latencies[std::min(latencies.size() - 1, size_t(p * double(latencies.size())))];
    };
    std::printf("requests %zu errors %ld seconds %.2f rps %.1f p50_ms %.1f p99_ms %.1f\n", latencies.size(),
                errors.load(), seconds, double(latencies.size()) / seconds, percentile(0.5),
                percentile(0.99));
    return 0;
}
