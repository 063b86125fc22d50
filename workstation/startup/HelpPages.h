#pragma once

#include <string>

class QWidget;

namespace vantor {

// The help pages are HTML files in AppDir + "help/"; "index.html" is the
// table of contents, "topics.html" the index, "<topic>.html" a numbered topic.
std::string helpPagePath(const std::string& appDir, const std::string& page);

// Opens the page in the desktop browser; when the program has no help pages
// the reader gets the information message instead, and when no browser can
// show it, a message naming the page and where it is. False when not opened.
bool openHelpPage(QWidget* parent, const std::string& appDir, const std::string& page);

std::string helpNotOpenedMessage(const std::string& path);

} // namespace vantor
