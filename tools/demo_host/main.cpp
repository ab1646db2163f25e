// kestrel-demo-host: a small TN3270 server with a logon panel, a menu, an echo
// panel and a status panel, for trying the terminal and for end-to-end tests.
//
//   kestrel-demo-host [-port N] [-bind ADDRESS] [-once]
//
// Listens on 127.0.0.1 port 3270 unless told otherwise (-port 0 picks a free
// port), prints "listening on PORT" when ready, serves any number of clients in
// one poll loop, and logs one line per client event to standard error. -once
// ends it when the first client has gone; SIGTERM or SIGINT end it at any time.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <list>
#include <string>
#include <vector>

#include "demo_host/demo_session.h"
#include "demo_host/ebcdic_037.h"

using kestrel::demo_host::DemoSession;

namespace {

constexpr size_t kMaxClients = 64;

int signalPipe[2] = {-1, -1};

void onSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = write(signalPipe[1], &byte, 1);
    errno = saved;
}

struct Options {
    int port = 3270;
    std::string bind = "127.0.0.1";
    bool once = false;
};

int usage(const char* problem) {
    std::fprintf(stderr,
                 "kestrel-demo-host: %s\nusage: kestrel-demo-host [-port N] [-bind ADDRESS] "
                 "[-once]\n",
                 problem);
    return 2;
}

bool parseOptions(int argc, char** argv, Options& options, std::string& problem) {
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "-once") {
            options.once = true;
            continue;
        }
        if (option != "-port" && option != "-bind") {
            problem = "unknown option " + option;
            return false;
        }
        if (i + 1 >= argc) {
            problem = "option " + option + " needs a value";
            return false;
        }
        const std::string value = argv[++i];
        if (option == "-bind") {
            options.bind = value;
            continue;
        }
        char* end = nullptr;
        errno = 0;
        const long port = std::strtol(value.c_str(), &end, 10);
        if (value.empty() || *end != '\0' || errno != 0 || port < 0 || port > 65535) {
            problem = "-port takes a number from 0 to 65535";
            return false;
        }
        options.port = static_cast<int>(port);
    }
    return true;
}

void logLine(const std::string& line) {
    const std::string text = "kestrel-demo-host: " + line + "\n";
    std::fputs(text.c_str(), stderr);
}

bool setNonBlocking(int fd) {
    const int flags = fcntl(fd, F_GETFL);
    return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0 &&
           fcntl(fd, F_SETFD, FD_CLOEXEC) == 0;
}

std::string peerName(const sockaddr_storage& address) {
    char host[NI_MAXHOST] = "?";
    char service[NI_MAXSERV] = "?";
    getnameinfo(reinterpret_cast<const sockaddr*>(&address), sizeof address, host, sizeof host,
                service, sizeof service, NI_NUMERICHOST | NI_NUMERICSERV);
    return std::string(host) + ":" + service;
}

// A listening socket on ADDRESS:PORT, or -1 with the reason logged.
int openListener(const Options& options, int& boundPort) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICHOST | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const std::string port = std::to_string(options.port);
    if (const int rc = getaddrinfo(options.bind.c_str(), port.c_str(), &hints, &found); rc != 0) {
        logLine("cannot use address " + options.bind + ": " + gai_strerror(rc));
        return -1;
    }
    int fd = socket(found->ai_family, found->ai_socktype, found->ai_protocol);
    const int yes = 1;
    if (fd < 0 || setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes) != 0 ||
        bind(fd, found->ai_addr, found->ai_addrlen) != 0 || listen(fd, 16) != 0 ||
        !setNonBlocking(fd)) {
        logLine("cannot listen on " + options.bind + " port " + port + ": " + std::strerror(errno));
        if (fd >= 0) {
            close(fd);
        }
        freeaddrinfo(found);
        return -1;
    }
    freeaddrinfo(found);
    sockaddr_storage local{};
    socklen_t length = sizeof local;
    getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length);
    boundPort = local.ss_family == AF_INET6
                    ? ntohs(reinterpret_cast<const sockaddr_in6*>(&local)->sin6_port)
                    : ntohs(reinterpret_cast<const sockaddr_in*>(&local)->sin_port);
    return fd;
}

struct Client {
    int fd = -1;
    int id = 0;
    DemoSession session;
    std::vector<uint8_t> output;
    bool gone = false;  // closed by the client or by a socket error
};

void logFor(const Client& client, const std::string& line) {
    logLine("client " + std::to_string(client.id) + ": " + line);
}

// Moves the session's output and log out; writes what the socket takes.
void flush(Client& client) {
    for (const std::string& line : client.session.takeLog()) {
        logFor(client, line);
    }
    const std::vector<uint8_t> more = client.session.takeOutput();
    client.output.insert(client.output.end(), more.begin(), more.end());
    while (!client.output.empty() && !client.gone) {
        const ssize_t sent =
            send(client.fd, client.output.data(), client.output.size(), MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR) {
                continue;
            }
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                logFor(client, std::string("send failed: ") + std::strerror(errno));
                client.gone = true;
            }
            break;
        }
        client.output.erase(client.output.begin(), client.output.begin() + sent);
    }
}

// Reads what the client sent and hands it to its session.
void readFrom(Client& client, DemoSession::Clock::time_point now) {
    uint8_t buffer[4096];
    for (;;) {
        const ssize_t got = recv(client.fd, buffer, sizeof buffer, 0);
        if (got > 0) {
            client.session.receive({buffer, static_cast<size_t>(got)}, now);
            continue;
        }
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got == 0) {
            logFor(client, "disconnected");
            client.gone = true;
        } else if (errno != EAGAIN && errno != EWOULDBLOCK) {
            logFor(client, std::string("receive failed: ") + std::strerror(errno));
            client.gone = true;
        }
        return;
    }
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    std::string problem;
    if (!parseOptions(argc, argv, options, problem)) {
        return usage(problem.c_str());
    }
    if (!kestrel::demo_host::ebcdicAvailable()) {
        logLine("the C library's iconv has no IBM037 conversion");
        return 1;
    }
    if (pipe(signalPipe) != 0 || !setNonBlocking(signalPipe[0]) || !setNonBlocking(signalPipe[1])) {
        logLine(std::string("cannot create a pipe: ") + std::strerror(errno));
        return 1;
    }
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);

    int port = 0;
    const int listener = openListener(options, port);
    if (listener < 0) {
        return 1;
    }
    std::printf("listening on %d\n", port);
    std::fflush(stdout);
    logLine("listening on " + options.bind + " port " + std::to_string(port));

    std::list<Client> clients;
    int nextId = 1;
    bool stop = false;
    while (!stop) {
        const auto now = DemoSession::Clock::now();
        int timeout = -1;
        std::vector<pollfd> fds;
        fds.push_back({signalPipe[0], POLLIN, 0});
        fds.push_back({listener, POLLIN, 0});
        for (const Client& client : clients) {
            fds.push_back(
                {client.fd, static_cast<short>(POLLIN | (client.output.empty() ? 0 : POLLOUT)), 0});
            if (const auto deadline = client.session.deadline()) {
                const auto wait =
                    std::chrono::ceil<std::chrono::milliseconds>(*deadline - now).count();
                const int ms = wait < 0 ? 0 : static_cast<int>(wait);
                timeout = timeout < 0 ? ms : std::min(timeout, ms);
            }
        }
        if (poll(fds.data(), fds.size(), timeout) < 0) {
            if (errno == EINTR) {
                continue;
            }
            logLine(std::string("poll failed: ") + std::strerror(errno));
            break;
        }
        if (fds[0].revents != 0) {
            logLine("terminated by a signal");
            break;
        }
        const auto after = DemoSession::Clock::now();

        size_t index = 2;
        for (Client& client : clients) {
            const short events = fds[index++].revents;
            if ((events & (POLLIN | POLLHUP | POLLERR)) != 0) {
                readFrom(client, after);
            }
        }
        for (Client& client : clients) {
            client.session.tick(after);
            flush(client);
        }
        for (auto it = clients.begin(); it != clients.end();) {
            const bool done = it->session.finished() && it->output.empty();
            if (!it->gone && !done) {
                ++it;
                continue;
            }
            if (done && !it->gone) {
                logFor(*it, "connection closed by the host");
            }
            close(it->fd);
            it = clients.erase(it);
            if (options.once) {
                stop = true;
            }
        }

        if ((fds[1].revents & POLLIN) != 0 && !stop) {
            for (;;) {
                sockaddr_storage peer{};
                socklen_t length = sizeof peer;
                const int fd = accept(listener, reinterpret_cast<sockaddr*>(&peer), &length);
                if (fd < 0) {
                    if (errno == EINTR) {
                        continue;
                    }
                    break;
                }
                if (clients.size() >= kMaxClients || !setNonBlocking(fd)) {
                    logLine("connection from " + peerName(peer) + " refused: too many clients");
                    close(fd);
                    continue;
                }
                Client& client = clients.emplace_back();
                client.fd = fd;
                client.id = nextId++;
                logFor(client, "connected from " + peerName(peer));
                client.session.start(after);
                flush(client);
            }
        }
    }
    for (Client& client : clients) {
        close(client.fd);
    }
    close(listener);
    return 0;
}
