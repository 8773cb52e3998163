// What the simulated folder service says: its folders, the SOAP envelopes it answers with, and the record
// of the last request it was sent.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace sim {

struct Folder {
  std::string name;
  bool isProtected = false;
};

// "name" or "name:protected".
Folder folderFromArgument(const std::string& argument);
// One folder per line, "name" or "name<TAB>protected"; empty lines are skipped. None when the file cannot
// be read.
std::optional<std::vector<Folder>> foldersFromFile(const std::filesystem::path& file);

struct ReplyShape {
  std::string resultCode = "ok";
  bool headerFirst = false;  // a SOAP Header before the Body
};

// The folder-list reply: an envelope whose Body's last child is the response element holding
// "result-code" and "files" with one element per folder (name, password, dir).
std::string folderListEnvelope(const std::vector<Folder>& folders, const ReplyShape& shape);
// A SOAP 1.1 Fault, with neither "result-code" nor "files".
std::string soapFaultEnvelope();

struct RecordedRequest {
  std::string method;
  std::string path;
  std::vector<std::pair<std::string, std::string>> headers;
  std::string body;
};

// Writes the request as text, replacing the file whole: "METHOD PATH", one "Name: value" line per header,
// an empty line, then the body's bytes unchanged. False when it could not be written.
bool writeRecord(const std::filesystem::path& file, const RecordedRequest& request);

}  // namespace sim
