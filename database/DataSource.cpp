#include "database/DataSource.h"

#include <algorithm>

#include "database/ResultSet.h"

namespace zlt::db {

DataSource::DataSource(ResultSet* dataSet) {
    setDataSet(dataSet);
}

DataSource::~DataSource() {
    setDataSet(nullptr);
}

void DataSource::setDataSet(ResultSet* dataSet) {
    if (dataSet_ != nullptr) {
        dataSet_->unbind(this);
    }
    dataSet_ = dataSet;
    if (dataSet_ != nullptr) {
        dataSet_->bind(this);
    }
    notify(DataEvent::DataSetChanged);
}

int DataSource::addListener(Listener listener) {
    listeners_.emplace_back(nextHandle_, std::move(listener));
    return nextHandle_++;
}

void DataSource::removeListener(int handle) {
    std::erase_if(listeners_, [&](const auto& entry) { return entry.first == handle; });
}

void DataSource::notify(DataEvent event) {
    // A listener may add or remove listeners while being told; work on a copy.
    const auto listeners = listeners_;
    for (const auto& [handle, listener] : listeners) {
        listener(event);
    }
}

}  // namespace zlt::db
