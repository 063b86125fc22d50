#include "report/Workbook.h"

#include "report/SharedStringTable.h"
#include "report/XmlElement.h"
#include "report/ZipReader.h"
#include "report/ZipWriter.h"
#include "startup/ProfileFile.h"

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
    XmlElement root;
    if (!parseXml(*bytes, root, error)) {
        error = relsName + ": " + error;
        return false;
    }
    for (const XmlElement& r : root.children) {
        if (r.localName() != "Relationship" || r.attributeOr("TargetMode") == "External")
            continue;
        result[r.attributeOr("Id")] = {r.attributeOr("Type"), resolve(folderOf(part), r.attributeOr("Target"))};
    }
    return true;
}

XmlElement relationship(const std::string& id, const std::string& type, const std::string& target)
{
    XmlElement r("Relationship");
    r.setAttribute("Id", id);
    r.setAttribute("Type", type);
    r.setAttribute("Target", target);
    return r;
}

unsigned char fold(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 'a' + 'A') : static_cast<unsigned char>(c);
}

} // namespace

bool Workbook::namesEqual(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return fold(x) == fold(y);
           });
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
    XmlElement workbook;
    if (!parseXml(*workbookBytes, workbook, error)) {
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

    const XmlElement* sheets = workbook.child("sheets");
    if (!sheets) {
        error = "the workbook lists no sheets";
        return false;
    }
    for (const XmlElement& entry : sheets->children) {
        if (entry.localName() != "sheet")
            continue;
        std::string id;
        for (const auto& [key, value] : entry.attributes)
            if (key == "r:id" || endsWith(key, ":id"))
                id = value;
        const auto found = rels.find(id);
        if (found == rels.end() || !endsWith(found->second.type, "/worksheet"))
            continue; // chart sheets and dialog sheets are not carried
        const auto part = zip.read(found->second.target);
        if (!part) {
            error = zip.error();
            return false;
        }
        NamedSheet named;
        named.name = entry.attributeOr("name");
        if (!named.sheet.load(*part, sharedStrings, error)) {
            error = found->second.target + ": " + error;
            return false;
        }
        sheets_.push_back(std::move(named));
    }
    if (const XmlElement* views = workbook.child("bookViews"))
        if (const XmlElement* view = views->child("workbookView"))
            setActiveSheet(std::atoi(view->attributeOr("activeTab", "0").c_str()));
    return true;
}

std::string Workbook::toBytes() const
{
    XmlElement types("Types");
    types.setAttribute("xmlns", "http://schemas.openxmlformats.org/package/2006/content-types");
    const auto addDefault = [&](const char* extension, const char* type) {
        XmlElement d("Default");
        d.setAttribute("Extension", extension);
        d.setAttribute("ContentType", type);
        types.append(std::move(d));
    };
    const auto addOverride = [&](const std::string& part, const char* type) {
        XmlElement o("Override");
        o.setAttribute("PartName", "/" + part);
        o.setAttribute("ContentType", type);
        types.append(std::move(o));
    };
    addDefault("rels", "application/vnd.openxmlformats-package.relationships+xml");
    addDefault("xml", "application/xml");
    addOverride("xl/workbook.xml", "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml");

    XmlElement packageRels("Relationships");
    packageRels.setAttribute("xmlns", PackageRelationshipNamespace);
    packageRels.append(relationship("rId1", std::string(RelationshipNamespace) + "/officeDocument", "xl/workbook.xml"));

    XmlElement workbook("workbook");
    workbook.setAttribute("xmlns", MainNamespace);
    workbook.setAttribute("xmlns:r", RelationshipNamespace);
    XmlElement& views = workbook.append(XmlElement("bookViews"));
    XmlElement& view = views.append(XmlElement("workbookView"));
    view.setAttribute("activeTab", std::to_string(active_));
    XmlElement& sheetList = workbook.append(XmlElement("sheets"));

    XmlElement workbookRels("Relationships");
    workbookRels.setAttribute("xmlns", PackageRelationshipNamespace);

    SharedStringTable strings;
    std::size_t references = 0;
    std::vector<std::pair<std::string, std::string>> sheetParts;
    for (std::size_t i = 0; i < sheets_.size(); ++i) {
        const std::string id = "rId" + std::to_string(i + 1);
        const std::string part = "worksheets/sheet" + std::to_string(i + 1) + ".xml";
        XmlElement& entry = sheetList.append(XmlElement("sheet"));
        entry.setAttribute("name", sheets_[i].name);
        entry.setAttribute("sheetId", std::to_string(i + 1));
        entry.setAttribute("r:id", id);
        workbookRels.append(relationship(id, std::string(RelationshipNamespace) + "/worksheet", part));
        addOverride("xl/" + part, "application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml");
        sheetParts.emplace_back("xl/" + part,
                                sheets_[i].sheet.toXml(strings, references, static_cast<int>(i) == active_));
    }
    const std::size_t next = sheets_.size() + 1;
    workbookRels.append(relationship("rId" + std::to_string(next), std::string(RelationshipNamespace) + "/styles",
                                     "styles.xml"));
    addOverride("xl/styles.xml", "application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml");
    workbookRels.append(relationship("rId" + std::to_string(next + 1),
                                     std::string(RelationshipNamespace) + "/sharedStrings", "sharedStrings.xml"));
    addOverride("xl/sharedStrings.xml",
                "application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml");
    if (theme_) {
        workbookRels.append(relationship("rId" + std::to_string(next + 2),
                                         std::string(RelationshipNamespace) + "/theme", "theme/theme1.xml"));
        addOverride("xl/theme/theme1.xml", "application/vnd.openxmlformats-officedocument.theme+xml");
    }

    ZipWriter zip;
    zip.add("[Content_Types].xml", serializeXml(types));
    zip.add("_rels/.rels", serializeXml(packageRels));
    zip.add("xl/workbook.xml", serializeXml(workbook));
    zip.add("xl/_rels/workbook.xml.rels", serializeXml(workbookRels));
    zip.add("xl/styles.xml", styles_.toXml());
    if (theme_)
        zip.add("xl/theme/theme1.xml", *theme_);
    for (const auto& [part, xml] : sheetParts)
        zip.add(part, xml);
    zip.add("xl/sharedStrings.xml", strings.toXml(references));
    return zip.finish();
}

bool Workbook::saveFile(const std::string& path, std::string& error) const
{
    if (!writeFileAtomically(path, toBytes())) {
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
