#pragma once

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "setup/model/SetupState.h"

namespace setup {

// What a page shows in its controls, by control id: texts, the entries of a
// list, and which driver-dependent controls are hidden. A page's decisions
// read and write these; the window (or an answers file, or a test) shows
// them and puts back what the person typed.
class PageFields {
public:
    std::string text(int id) const;
    void setText(int id, const std::string& text);
    const std::vector<std::string>& choices(int id) const;
    void setChoices(int id, std::vector<std::string> choices);
    bool isHidden(int id) const { return m_hidden.count(id) != 0; }
    void setHidden(int id, bool hidden);

private:
    std::map<int, std::string> m_texts;
    std::map<int, std::vector<std::string>> m_choices;
    std::set<int> m_hidden;
};

// The decisions of one page: made afresh each time the page is entered.
class Page {
public:
    explicit Page(SetupContext& context) : m_context(context) {}
    virtual ~Page() = default;
    Page(const Page&) = delete;
    Page& operator=(const Page&) = delete;

    // Fills the controls when the page opens.
    virtual void init(PageFields& fields) { (void)fields; }
    // A button was pressed, or the driver's text changed (kDriver): the end
    // code when the page ends, nothing when it stays open.
    virtual std::optional<int> command(int id, PageFields& fields) = 0;

protected:
    SetupContext& m_context;
};

// One row of the page table.
struct PageEntry {
    int templateId;
    std::unique_ptr<Page> (*makePage)(SetupContext&);
    int nextCode;
    int cancelCode;
    int backCode;
};

// Welcome, User information, Data source and Destination for an install;
// Uninstall for an uninstall.
std::vector<PageEntry> pageTable(InstallMode mode);

// Shows pages: the desktop's dialogs, an answers file or a test.
class PageHost {
public:
    virtual ~PageHost() = default;
    // Shows `page` (made for `entry`) until it ends; returns its end code,
    // -1 when it cannot be shown.
    virtual int showPage(const PageEntry& entry, Page& page) = 0;
};

// Runs the pages of the state's mode one after another. Next goes on, Back
// goes to the page before; Cancel, and any code that is neither the page's
// Next nor its Back, ends the wizard. True when the last page ended with
// Next.
bool runWizard(SetupContext& context, PageHost& host);

// How the pages look, for the views.
enum class ControlKind { Edit, Password, Combo, Folder };

struct FieldSpec {
    int id;
    ControlKind kind;
    std::string label;
    std::string answerKey;  // the key an answers file sets it with
};

struct ButtonSpec {
    int id;
    std::string label;
    bool isDefault;
};

struct PageTemplate {
    int id;
    std::string name;  // the section of an answers file
    std::string caption;
    std::vector<std::string> texts;
    std::vector<FieldSpec> fields;
    std::string groupLabel;  // a box around the Folder field
    std::vector<ButtonSpec> buttons;
    int cancelButton;  // what Escape and the window's close box press
};

// Null for an unknown template.
const PageTemplate* pageTemplate(int id);
const std::vector<PageTemplate>& pageTemplates();

// Browse's result: one trailing "/" dropped and "/ZEBDOC" appended.
std::string destinationBelow(const std::string& folder);

}  // namespace setup
