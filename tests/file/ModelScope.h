#pragma once

#include "data/KeyboardInfo.h"

// Makes `model` the current keyboard model for one scope and restores the
// previous one afterwards, so tests do not leak their choice.
class ModelScope {
public:
    explicit ModelScope(zel::qmix::data::KeyboardInfo* model)
        : previous_(zel::qmix::data::KeyboardInfo::currentModel()) {
        zel::qmix::data::KeyboardInfo::setCurrentModel(model);
    }
    ~ModelScope() { zel::qmix::data::KeyboardInfo::setCurrentModel(previous_); }
    ModelScope(const ModelScope&) = delete;
    ModelScope& operator=(const ModelScope&) = delete;

private:
    zel::qmix::data::KeyboardInfo* previous_;
};
