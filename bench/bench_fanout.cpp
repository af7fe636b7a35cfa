// Fan-out of the site's events channel: holds many subscribed operators on the events stream,
// leaves one visitor request a second on the site's page, and measures how long each request
// takes from its POST to its "new" message reaching the last subscriber.
//
//   bench_fanout HOST PORT OPERATOR_ID SUBSCRIBERS SECONDS [SOURCE_ADDRESSES]
//
// Loopback only: HOST must be a 127.x address. Subscribers connect from 127.0.0.1 up to
// 127.0.0.SOURCE_ADDRESSES (default 16) so that no source runs out of ports; each visitor
// request comes from an address of its own in 127.1.x.y, so the page's per-address limit
// never applies. The run is bounded: at most 20,000 subscribers, at most 300 s of requests,
// 120 s to subscribe and 10 s for the last messages. It prints one JSON object of figures.

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <netinet/in.h>
#include <string>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int maxSubscribers = 20000;
constexpr int maxSeconds = 300;
constexpr auto subscribeDeadline = std::chrono::seconds(120);
constexpr auto drainTime = std::chrono::seconds(10);
constexpr int subscribing = 64;

struct Options {
    std::string host;
    int port = 0;
    std::string operatorId;
    int subscribers = 0;
    int seconds = 0;
    int sourceAddresses = 16;
};

struct Subscriber {
    int fd = -1;
    bool subscribed = false;
    bool failed = false;
    std::string buffer;
};

// When each request was posted, and when each subscriber saw it.
struct Deliveries {
    std::mutex lock;
    std::map<int, Clock::time_point> posted;
    std::map<int, std::vector<double>> receivedMs;
    int postErrors = 0;
};

double msBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

double percentile(std::vector<double> values, double fraction) {
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    const auto index = static_cast<size_t>(fraction * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

bool parseOptions(int argc, char** argv, Options& options) {
    if (argc < 6 || argc > 7)
        return false;
    options.host = argv[1];
    options.port = std::atoi(argv[2]);
    options.operatorId = argv[3];
    options.subscribers = std::atoi(argv[4]);
    options.seconds = std::atoi(argv[5]);
    if (argc == 7)
        options.sourceAddresses = std::atoi(argv[6]);
    return options.host.rfind("127.", 0) == 0 && options.port > 0 && options.subscribers > 0 &&
           options.subscribers <= maxSubscribers && options.seconds > 0 &&
           options.seconds <= maxSeconds && options.sourceAddresses > 0 &&
           options.sourceAddresses <= 250;
}

sockaddr_in address(const std::string& host, int port) {
    sockaddr_in result{};
    result.sin_family = AF_INET;
    result.sin_port = htons(static_cast<uint16_t>(port));
    inet_pton(AF_INET, host.c_str(), &result.sin_addr);
    return result;
}

// A TCP socket bound to the given loopback source address and connected (or connecting).
int connectFrom(const std::string& source, const Options& options, bool nonBlocking) {
    const int fd = socket(AF_INET, SOCK_STREAM | (nonBlocking ? SOCK_NONBLOCK : 0), 0);
    if (fd < 0)
        return -1;
    const sockaddr_in local = address(source, 0);
    const sockaddr_in remote = address(options.host, options.port);
    if (bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0 ||
        (connect(fd, reinterpret_cast<const sockaddr*>(&remote), sizeof remote) != 0 &&
         errno != EINPROGRESS)) {
        close(fd);
        return -1;
    }
    return fd;
}

bool sendAll(int fd, const std::string& data) {
    size_t sent = 0;
    while (sent < data.size()) {
        const ssize_t n = send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EAGAIN) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        if (n <= 0)
            return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

std::string subscribeRequest(const Options& options) {
    return "GET /vorlan/events HTTP/1.1\r\nHost: " + options.host + ':' +
           std::to_string(options.port) +
           "\r\nAccept: text/event-stream\r\nAuthorization: Bearer " + options.operatorId +
           "\r\n\r\n";
}

// Records every "Bench N" call the stream announced; keeps an unfinished line for later.
void readMessages(Subscriber& subscriber, Deliveries& deliveries, Clock::time_point now) {
    if (!subscriber.subscribed) {
        const auto end = subscriber.buffer.find("\r\n\r\n");
        if (end == std::string::npos)
            return;
        subscriber.subscribed = subscriber.buffer.rfind("HTTP/1.1 200", 0) == 0;
        subscriber.failed = !subscriber.subscribed;
        subscriber.buffer.erase(0, end + 4);
    }
    static const std::string marker = "\"name\":\"Bench ";
    size_t position;
    while ((position = subscriber.buffer.find(marker)) != std::string::npos) {
        const size_t numberStart = position + marker.size();
        const size_t numberEnd = subscriber.buffer.find('"', numberStart);
        if (numberEnd == std::string::npos)
            return;
        const int number = std::atoi(subscriber.buffer.c_str() + numberStart);
        subscriber.buffer.erase(0, numberEnd);
        std::lock_guard<std::mutex> guard(deliveries.lock);
        const auto posted = deliveries.posted.find(number);
        if (posted != deliveries.posted.end())
            deliveries.receivedMs[number].push_back(msBetween(posted->second, now));
    }
    // Nothing else in a stream is needed: keep only what may start a marker.
    if (subscriber.buffer.size() > marker.size())
        subscriber.buffer.erase(0, subscriber.buffer.size() - marker.size());
}

class SubscriberPool {
public:
    SubscriberPool(const Options& options, Deliveries& deliveries)
        : options(options)
        , deliveries(deliveries)
        , poll(epoll_create1(0))
        , subscribers(static_cast<size_t>(options.subscribers)) {}

    // Keeps a few subscriptions under way at a time, as the site's authorization answers
    // them (more overflow nginx's queue of connections); true when all are in.
    bool subscribeAll() {
        const std::string request = subscribeRequest(options);
        const auto deadline = Clock::now() + subscribeDeadline;
        size_t next = 0;
        while (Clock::now() < deadline) {
            const int settled = subscribedCount() + failedCount();
            while (next < subscribers.size() && static_cast<int>(next) - settled < subscribing)
                open(next++, request);
            serve(std::chrono::milliseconds(5));
            if (subscribedCount() == options.subscribers)
                return true;
            if (failedCount() > 0)
                return false;
        }
        return false;
    }

    void serveUntil(Clock::time_point end) {
        while (Clock::now() < end)
            serve(std::chrono::milliseconds(20));
    }

    int subscribedCount() const {
        return static_cast<int>(std::count_if(subscribers.begin(), subscribers.end(),
                                              [](const Subscriber& s) { return s.subscribed; }));
    }

    int failedCount() const {
        return static_cast<int>(std::count_if(subscribers.begin(), subscribers.end(),
                                              [](const Subscriber& s) { return s.failed; }));
    }

private:
    void open(size_t index, const std::string& request) {
        const std::string source = "127.0.0." + std::to_string(1 + index % options.sourceAddresses);
        Subscriber& subscriber = subscribers[index];
        subscriber.fd = connectFrom(source, options, false);
        if (subscriber.fd < 0 || !sendAll(subscriber.fd, request)) {
            subscriber.failed = true;
            return;
        }
        fcntl(subscriber.fd, F_SETFL, fcntl(subscriber.fd, F_GETFL) | O_NONBLOCK);
        epoll_event event{};
        event.events = EPOLLIN;
        event.data.u64 = index;
        epoll_ctl(poll, EPOLL_CTL_ADD, subscriber.fd, &event);
    }

    void serve(std::chrono::milliseconds wait) {
        epoll_event events[256];
        const int ready = epoll_wait(poll, events, 256, static_cast<int>(wait.count()));
        const auto now = Clock::now();
        char chunk[16384];
        for (int i = 0; i < ready; ++i) {
            Subscriber& subscriber = subscribers[events[i].data.u64];
            const ssize_t n = recv(subscriber.fd, chunk, sizeof chunk, 0);
            if (n <= 0) {
                epoll_ctl(poll, EPOLL_CTL_DEL, subscriber.fd, nullptr);
                subscriber.failed = true;
                continue;
            }
            subscriber.buffer.append(chunk, static_cast<size_t>(n));
            readMessages(subscriber, deliveries, now);
        }
    }

    const Options& options;
    Deliveries& deliveries;
    const int poll;
    std::vector<Subscriber> subscribers;
};

// One visitor request: posted from an address of its own, timed from just before sending.
void postVisitorRequest(const Options& options, int number, Deliveries& deliveries) {
    const std::string source =
        "127.1." + std::to_string(number / 250) + '.' + std::to_string(1 + number % 250);
    const std::string body = "name=Bench+" + std::to_string(number) + "&phone=%2B7+900+000-00-00";
    const std::string request = "POST / HTTP/1.1\r\nHost: " + options.host + ':' +
                                std::to_string(options.port) +
                                "\r\nContent-Type: application/x-www-form-urlencoded\r\n"
                                "Connection: close\r\nContent-Length: " +
                                std::to_string(body.size()) + "\r\n\r\n" + body;
    const int fd = connectFrom(source, options, false);
    {
        std::lock_guard<std::mutex> guard(deliveries.lock);
        deliveries.posted[number] = Clock::now();
    }
    char status[16] = {};
    const bool stored = fd >= 0 && sendAll(fd, request) &&
                        recv(fd, status, 12, MSG_WAITALL) == 12 &&
                        std::strncmp(status + 9, "303", 3) == 0;
    if (fd >= 0)
        close(fd);
    if (!stored) {
        std::lock_guard<std::mutex> guard(deliveries.lock);
        ++deliveries.postErrors;
    }
}

void raiseFileLimit(int needed) {
    rlimit limit{};
    getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = std::min<rlim_t>(limit.rlim_max, static_cast<rlim_t>(needed));
    setrlimit(RLIMIT_NOFILE, &limit);
}

void printFigures(const Options& options, SubscriberPool& pool, Deliveries& deliveries) {
    std::lock_guard<std::mutex> guard(deliveries.lock);
    std::vector<double> toLast;
    std::vector<double> all;
    int incomplete = 0;
    for (const auto& [number, times] : deliveries.receivedMs) {
        all.insert(all.end(), times.begin(), times.end());
        if (static_cast<int>(times.size()) < options.subscribers)
            ++incomplete;
        else
            toLast.push_back(*std::max_element(times.begin(), times.end()));
    }
    incomplete += static_cast<int>(deliveries.posted.size() - deliveries.receivedMs.size());
    std::printf("{\"subscribers\":%d,\"still_subscribed\":%d,\"requests\":%zu,\"post_errors\":%d,"
                "\"requests_not_reaching_all\":%d,"
                "\"to_last_ms\":{\"p50\":%.1f,\"p99\":%.1f,\"max\":%.1f},"
                "\"each_delivery_ms\":{\"p50\":%.1f,\"p99\":%.1f,\"max\":%.1f}}\n",
                options.subscribers, options.subscribers - pool.failedCount(),
                deliveries.posted.size(), deliveries.postErrors, incomplete,
                percentile(toLast, 0.5), percentile(toLast, 0.99), percentile(toLast, 1.0),
                percentile(all, 0.5), percentile(all, 0.99), percentile(all, 1.0));
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parseOptions(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: %s 127.x.y.z PORT OPERATOR_ID SUBSCRIBERS(1-%d) SECONDS(1-%d) "
                     "[SOURCE_ADDRESSES(1-250)]\n",
                     argv[0], maxSubscribers, maxSeconds);
        return 2;
    }
    raiseFileLimit(options.subscribers + 64);
    Deliveries deliveries;
    SubscriberPool pool(options, deliveries);
    const auto subscribeStart = Clock::now();
    if (!pool.subscribeAll()) {
        std::fprintf(stderr, "only %d of %d subscribers got in (%d refused or dropped)\n",
                     pool.subscribedCount(), options.subscribers, pool.failedCount());
        return 1;
    }
    std::fprintf(stderr, "%d subscribers in %.1f s\n", options.subscribers,
                 msBetween(subscribeStart, Clock::now()) / 1000);
    // The memory and CPU figures are taken by the caller around this moment: a signal file.
    if (const char* ready = std::getenv("FANOUT_READY_FILE")) {
        if (FILE* file = std::fopen(ready, "w"))
            std::fclose(file);
        pool.serveUntil(Clock::now() + std::chrono::seconds(2));
    }

    std::atomic<bool> posting{true};
    std::thread visitor([&] {
        const auto start = Clock::now();
        for (int number = 1; number <= options.seconds; ++number) {
            std::this_thread::sleep_until(start + std::chrono::seconds(number - 1));
            postVisitorRequest(options, number, deliveries);
        }
        posting = false;
    });
    while (posting)
        pool.serveUntil(Clock::now() + std::chrono::milliseconds(200));
    visitor.join();
    pool.serveUntil(Clock::now() + drainTime);
    printFigures(options, pool, deliveries);
    return 0;
}
