// The Word side, inside the office: the combined or converted documents and the insertion
// of each input with its look, one step per call.
#pragma once

#include "common/Wire.h"

#include <memory>

namespace kumiro::lo {

class Inside;

class WordSteps {
public:
    explicit WordSteps(Inside& inside);
    ~WordSteps();
    // One step: "Add", "Open", "Insert", "Break", "InsertBefore", "Save", "Close".
    Any step(const rtl::OUString& name, const wire::Args& args);

private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace kumiro::lo
