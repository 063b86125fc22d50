#include "report/Workbook.h"

#include "report/SharedStringTable.h"
#include "report/XmlDocument.h"
#include "report/ZipReader.h"
#include "report/ZipWriter.h"
#include "startup/ProfileFile.h"

#include <QString>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>

namespace vantor {

namespace {

constexpr const char* MainNamespace = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
constexpr const char* RelationshipNamespace = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
constexpr const char* PackageRelationshipNamespace = "http://schemas.openxmlformats.org/package/2006/relationships";

bool endsWith(std::string_view text, std::string_view tail)
{
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

// Resolves a relationship target against the folder of the part that holds it.
std::string resolve(const std::string& folder, const std::string& target)
{
    std::string path = !target.empty() && target.front() == '/' ? target.substr(1) : folder + target;
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t slash = std::min(path.find('/', start), path.size());
        const std::string part = path.substr(start, slash - start);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".")
            parts.push_back(part);
        start = slash + 1;
    }
    std::string joined;
    for (const std::string& part : parts)
        joined += (joined.empty() ? "" : "/") + part;
    return joined;
}

std::string folderOf(const std::string& part)
{
    const std::size_t slash = part.rfind('/');
    return slash == std::string::npos ? std::string() : part.substr(0, slash + 1);
}

std::string relationshipsOf(const std::string& part)
{
    return folderOf(part) + "_rels/" + part.substr(folderOf(part).size()) + ".rels";
}

struct Relationship {
    std::string type;
    std::string target;
};

// Id → relationship of a part; an absent relationships part gives none.
bool readRelationships(ZipReader& zip, const std::string& part, std::map<std::string, Relationship>& result,
                       std::string& error)
{
    result.clear();
    const std::string relsName = relationshipsOf(part);
    if (!zip.contains(relsName))
        return true;
    const auto bytes = zip.read(relsName);
    if (!bytes) {
        error = zip.error();
        return false;
    }
    XmlDocument document;
    if (!document.parse(*bytes, error)) {
        error = relsName + ": " + error;
        return false;
    }
    for (pugi::xml_node r : document.document_element().children()) {
        if (localName(r) != "Relationship" || std::string_view(r.attribute("TargetMode").value()) == "External")
            continue;
        result[r.attribute("Id").value()] = {r.attribute("Type").value(),
                                             resolve(folderOf(part), r.attribute("Target").value())};
    }
    return true;
}

// Appends an element with attributes given as name, value pairs.
pugi::xml_node add(pugi::xml_node parent, const char* name,
                   std::initializer_list<std::pair<const char*, std::string>> attributes)
{
    pugi::xml_node element = parent.append_child(name);
    for (const auto& [key, value] : attributes)
        element.append_attribute(key).set_value(value.c_str());
    return element;
}

bool isAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

char foldAscii(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

} // namespace

bool Workbook::namesEqual(std::string_view a, std::string_view b)
{
    if (isAscii(a) && isAscii(b))
        return a.size() == b.size() &&
               std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return foldAscii(x) == foldAscii(y); });
    // Spreadsheets compare sheet names by Unicode case folding: "É" and "é",
    // full-width "Ａ" and "ａ" collide.
    return QString::fromUtf8(a.data(), static_cast<qsizetype>(a.size()))
               .compare(QString::fromUtf8(b.data(), static_cast<qsizetype>(b.size())), Qt::CaseInsensitive) == 0;
}

bool Workbook::loadFile(const std::string& path, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open the file";
        return false;
    }
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        error = "cannot read the file";
        return false;
    }
    return loadBytes(std::move(bytes), error);
}

bool Workbook::loadBytes(std::string bytes, std::string& error)
{
    sheets_.clear();
    styles_ = CellStyles();
    theme_.reset();
    active_ = 0;

    ZipReader zip;
    if (!zip.open(std::move(bytes))) {
        error = zip.error();
        return false;
    }
    std::map<std::string, Relationship> rels;
    if (!readRelationships(zip, "", rels, error))
        return false;
    std::string workbookPart = "xl/workbook.xml";
    for (const auto& [id, r] : rels)
        if (endsWith(r.type, "/officeDocument"))
            workbookPart = r.target;
    const auto workbookBytes = zip.read(workbookPart);
    if (!workbookBytes) {
        error = "no workbook part (" + zip.error() + ")";
        return false;
    }
    XmlDocument workbook;
    if (!workbook.parse(*workbookBytes, error)) {
        error = workbookPart + ": " + error;
        return false;
    }
    if (!readRelationships(zip, workbookPart, rels, error))
        return false;

    std::vector<std::string> sharedStrings;
    for (const auto& [id, r] : rels) {
        if (!zip.contains(r.target))
            continue;
        const bool strings = endsWith(r.type, "/sharedStrings");
        const bool styles = endsWith(r.type, "/styles");
        const bool theme = endsWith(r.type, "/theme");
        if (!strings && !styles && !theme)
            continue;
        const auto part = zip.read(r.target);
        if (!part) {
            error = zip.error();
            return false;
        }
        if (strings && !SharedStringTable::parse(*part, sharedStrings, error)) {
            error = r.target + ": " + error;
            return false;
        }
        if (styles && !styles_.load(*part, error)) {
            error = r.target + ": " + error;
            return false;
        }
        if (theme)
            theme_ = *part;
    }

    pugi::xml_node root = workbook.document_element();
    pugi::xml_node sheets = childNamed(root, "sheets");
    if (!sheets) {
        error = "the workbook lists no sheets";
        return false;
    }
    for (pugi::xml_node entry : sheets.children()) {
        if (localName(entry) != "sheet")
            continue;
        std::string id;
        for (pugi::xml_attribute attribute : entry.attributes())
            if (endsWith(attribute.name(), ":id"))
                id = attribute.value();
        const auto found = rels.find(id);
        if (found == rels.end() || !endsWith(found->second.type, "/worksheet"))
            continue; // chart sheets and dialog sheets are not carried
        const auto part = zip.read(found->second.target);
        if (!part) {
            error = zip.error();
            return false;
        }
        NamedSheet named;
        named.name = entry.attribute("name").value();
        if (!named.sheet.load(*part, sharedStrings, error)) {
            error = found->second.target + ": " + error;
            return false;
        }
        sheets_.push_back(std::move(named));
    }
    pugi::xml_node view = childNamed(childNamed(root, "bookViews"), "workbookView");
    setActiveSheet(view.attribute("activeTab").as_int(0));
    return true;
}

std::string Workbook::toBytes() const
{
    const std::string relationshipType = std::string(RelationshipNamespace) + "/";
    const std::string officeType = "application/vnd.openxmlformats-officedocument.";

    XmlDocument types;
    pugi::xml_node typesRoot =
        add(types, "Types", {{"xmlns", "http://schemas.openxmlformats.org/package/2006/content-types"}});
    add(typesRoot, "Default", {{"Extension", "rels"}, {"ContentType", "application/vnd.openxmlformats-package.relationships+xml"}});
    add(typesRoot, "Default", {{"Extension", "xml"}, {"ContentType", "application/xml"}});
    const auto addOverride = [&](const std::string& part, const std::string& type) {
        add(typesRoot, "Override", {{"PartName", "/" + part}, {"ContentType", officeType + type}});
    };
    addOverride("xl/workbook.xml", "spreadsheetml.sheet.main+xml");

    XmlDocument packageRels;
    add(add(packageRels, "Relationships", {{"xmlns", PackageRelationshipNamespace}}), "Relationship",
        {{"Id", "rId1"}, {"Type", relationshipType + "officeDocument"}, {"Target", "xl/workbook.xml"}});

    XmlDocument workbook;
    pugi::xml_node workbookRoot = add(workbook, "workbook", {{"xmlns", MainNamespace}, {"xmlns:r", RelationshipNamespace}});
    add(add(workbookRoot, "bookViews", {}), "workbookView", {{"activeTab", std::to_string(active_)}});
    pugi::xml_node sheetList = add(workbookRoot, "sheets", {});

    XmlDocument workbookRels;
    pugi::xml_node workbookRelsRoot = add(workbookRels, "Relationships", {{"xmlns", PackageRelationshipNamespace}});
    int nextId = 1;
    const auto addRelationship = [&](const char* type, const std::string& target) {
        const std::string id = "rId" + std::to_string(nextId++);
        add(workbookRelsRoot, "Relationship", {{"Id", id}, {"Type", relationshipType + type}, {"Target", target}});
        return id;
    };

    SharedStringTable strings;
    std::size_t references = 0;
    std::vector<std::pair<std::string, std::string>> sheetParts;
    for (std::size_t i = 0; i < sheets_.size(); ++i) {
        const std::string part = "worksheets/sheet" + std::to_string(i + 1) + ".xml";
        const std::string id = addRelationship("worksheet", part);
        add(sheetList, "sheet", {{"name", xmlSafeText(sheets_[i].name)}, {"sheetId", std::to_string(i + 1)}, {"r:id", id}});
        addOverride("xl/" + part, "spreadsheetml.worksheet+xml");
        sheetParts.emplace_back("xl/" + part,
                                sheets_[i].sheet.toXml(strings, references, static_cast<int>(i) == active_));
    }
    addRelationship("styles", "styles.xml");
    addOverride("xl/styles.xml", "spreadsheetml.styles+xml");
    addRelationship("sharedStrings", "sharedStrings.xml");
    addOverride("xl/sharedStrings.xml", "spreadsheetml.sharedStrings+xml");
    if (theme_) {
        addRelationship("theme", "theme/theme1.xml");
        addOverride("xl/theme/theme1.xml", "theme+xml");
    }

    ZipWriter zip;
    zip.add("[Content_Types].xml", types.toText());
    zip.add("_rels/.rels", packageRels.toText());
    zip.add("xl/workbook.xml", workbook.toText());
    zip.add("xl/_rels/workbook.xml.rels", workbookRels.toText());
    zip.add("xl/styles.xml", styles_.toXml());
    if (theme_)
        zip.add("xl/theme/theme1.xml", *theme_);
    for (auto& [part, xml] : sheetParts)
        zip.add(part, std::move(xml));
    zip.add("xl/sharedStrings.xml", strings.toXml(references));
    return zip.finish();
}

bool Workbook::saveFile(const std::string& path, std::string& error) const
{
    const std::string bytes = toBytes();
    if (bytes.empty() || !writeFileAtomically(path, bytes)) {
        error = "cannot write the file";
        return false;
    }
    return true;
}

int Workbook::sheetIndex(std::string_view name) const
{
    for (std::size_t i = 0; i < sheets_.size(); ++i)
        if (namesEqual(sheets_[i].name, name))
            return static_cast<int>(i);
    return -1;
}

void Workbook::renameSheet(int index, std::string name)
{
    sheets_.at(static_cast<std::size_t>(index)).name = std::move(name);
}

std::vector<std::string> Workbook::sheetNames() const
{
    std::vector<std::string> names;
    for (const NamedSheet& s : sheets_)
        names.push_back(s.name);
    return names;
}

int Workbook::insertSheet(int position, std::string name, const Worksheet& sheet)
{
    position = std::clamp(position, 0, sheetCount());
    sheets_.insert(sheets_.begin() + position, NamedSheet{std::move(name), sheet});
    if (active_ >= position && sheetCount() > 1)
        ++active_;
    return position;
}

void Workbook::removeSheet(int index)
{
    sheets_.erase(sheets_.begin() + index);
    if (active_ > index || active_ >= sheetCount())
        active_ = std::max(0, active_ - 1);
}

void Workbook::setActiveSheet(int index)
{
    active_ = std::clamp(index, 0, std::max(0, sheetCount() - 1));
}

Workbook Workbook::emptyCopy() const
{
    Workbook copy;
    copy.styles_ = styles_;
    copy.theme_ = theme_;
    return copy;
}

} // namespace vantor
