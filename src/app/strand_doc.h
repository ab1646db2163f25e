// CStrandDoc: the terminal's single document. It holds no host data; it
// carries the title the window shows: the host of the session, or the
// session title given on the command line.
#pragma once

#include <optional>
#include <string>

namespace kestrel {

// The window title's product part.
inline constexpr const char* kApplicationTitle = "Lyrn W32 TN3270";

class CStrandDoc {
  public:
    // SESSIONTITLE, when given, is shown in place of the session's titles.
    explicit CStrandDoc(std::optional<std::string> sessionTitle = std::nullopt)
        : sessionTitle_(std::move(sessionTitle)) {}

    // The session's title: the host text while a session is up, else empty.
    void setTitle(const std::string& title) { title_ = title; }
    // The document title as shown: "Untitled" when there is none.
    std::string title() const;
    // "TITLE - Lyrn W32 TN3270".
    std::string windowTitle() const;

  private:
    std::optional<std::string> sessionTitle_;
    std::string title_;
};

}  // namespace kestrel
