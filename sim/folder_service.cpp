#include "folder_service.h"

#include <pugixml.hpp>

#include <fstream>
#include <sstream>
#include <system_error>

namespace sim {
namespace {

constexpr const char* kEnvelopeNamespace = "http://schemas.xmlsoap.org/soap/envelope/";
constexpr const char* kServiceNamespace = "urn:ondrix:mfp:folder-service:1";
constexpr std::string_view kProtectedSuffix = ":protected";

// An envelope with its Body, and a Header first when asked.
pugi::xml_node makeEnvelope(pugi::xml_document& doc, bool headerFirst) {
  pugi::xml_node declaration = doc.append_child(pugi::node_declaration);
  declaration.append_attribute("version") = "1.0";
  declaration.append_attribute("encoding") = "utf-8";
  pugi::xml_node envelope = doc.append_child("SOAP-ENV:Envelope");
  envelope.append_attribute("xmlns:SOAP-ENV") = kEnvelopeNamespace;
  if (headerFirst) {
    pugi::xml_node session = envelope.append_child("SOAP-ENV:Header").append_child("session");
    session.append_attribute("xmlns") = kServiceNamespace;
    session.text() = "simulated";
  }
  return envelope.append_child("SOAP-ENV:Body");
}

std::string toText(const pugi::xml_document& doc) {
  std::ostringstream out;
  doc.save(out, "  ", pugi::format_indent, pugi::encoding_utf8);
  return out.str();
}

}  // namespace

Folder folderFromArgument(const std::string& argument) {
  if (argument.size() > kProtectedSuffix.size() && argument.ends_with(kProtectedSuffix))
    return {argument.substr(0, argument.size() - kProtectedSuffix.size()), true};
  return {argument, false};
}

std::optional<std::vector<Folder>> foldersFromFile(const std::filesystem::path& file) {
  std::ifstream in(file);
  if (!in) return std::nullopt;
  std::vector<Folder> folders;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    const std::size_t tab = line.find('\t');
    if (tab == std::string::npos) {
      folders.push_back({line, false});
    } else {
      folders.push_back({line.substr(0, tab), line.substr(tab + 1) == "protected"});
    }
  }
  if (in.bad()) return std::nullopt;
  return folders;
}

std::string folderListEnvelope(const std::vector<Folder>& folders, const ReplyShape& shape) {
  pugi::xml_document doc;
  pugi::xml_node body = makeEnvelope(doc, shape.headerFirst);
  pugi::xml_node response = body.append_child("get-folder-list-response");
  response.append_attribute("xmlns") = kServiceNamespace;
  response.append_child("result-code").text() = shape.resultCode.c_str();
  pugi::xml_node files = response.append_child("files");
  for (const Folder& folder : folders) {
    pugi::xml_node file = files.append_child("file");
    file.append_child("name").text() = folder.name.c_str();
    file.append_child("password").text() = folder.isProtected ? "true" : "false";
    file.append_child("dir").text() = "true";
  }
  return toText(doc);
}

std::string soapFaultEnvelope() {
  pugi::xml_document doc;
  pugi::xml_node fault = makeEnvelope(doc, false).append_child("SOAP-ENV:Fault");
  fault.append_child("faultcode").text() = "SOAP-ENV:Server";
  fault.append_child("faultstring").text() = "The folder service is not available.";
  return toText(doc);
}

bool writeRecord(const std::filesystem::path& file, const RecordedRequest& request) {
  // Readers poll for the file; let them see it only when it is whole.
  const std::filesystem::path partial = file.string() + ".partial";
  {
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out << request.method << ' ' << request.path << '\n';
    for (const auto& [name, value] : request.headers) out << name << ": " << value << '\n';
    out << '\n' << request.body;
    out.flush();
    if (!out) return false;
  }
  std::error_code ec;
  std::filesystem::rename(partial, file, ec);
  return !ec;
}

}  // namespace sim
