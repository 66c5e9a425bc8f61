#pragma once
// What both windows are given from outside: the database opened at start-up, the values kept
// for the whole run, where browsers come from and what opens a link test.

namespace sitecapture {

class BrowserSource;
class LinkOpener;
class SiteDatabase;
struct Module1;

struct WizardServices {
    SiteDatabase& database;
    Module1& module;
    BrowserSource& browsers;
    LinkOpener& links;
};

} // namespace sitecapture
