#include "app/strand_doc.h"

namespace kestrel {

std::string CStrandDoc::title() const {
    if (sessionTitle_) {
        return *sessionTitle_;
    }
    return title_.empty() ? "Untitled" : title_;
}

std::string CStrandDoc::windowTitle() const {
    return title() + " - " + kApplicationTitle;
}

}  // namespace kestrel
