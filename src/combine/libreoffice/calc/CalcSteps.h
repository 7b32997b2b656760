// The Excel side, inside the office: source and combined workbooks, each sheet's copy with
// its names, links, look and pivots, one step per call.
#pragma once

#include "common/Wire.h"

#include <memory>

namespace kumiro::lo {

class Inside;

class CalcSteps {
public:
    explicit CalcSteps(Inside& inside);
    ~CalcSteps();
    // One step: "Open", "Add", "SheetName", "Copy", "Delete", "Save".
    Any step(const rtl::OUString& name, const wire::Args& args);

private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace kumiro::lo
