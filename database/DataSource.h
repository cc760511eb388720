#pragma once

#include <functional>
#include <vector>

namespace zlt::db {

class ResultSet;

// What changed in a result set, for the views bound to it.
enum class DataEvent {
    DataSetChanged,  // rows, their order or the open/closed state: redraw everything
    StateChanged,    // browse, edit or insert
    RecordChanged,   // a value of the row being edited or inserted
    Scrolled,        // another row became current
    UpdateRecord,    // about to write the pending row: put text still being typed into it
};

// Binds one result set to the views that show it (DataSource1: IBOQuery1 to DBGrid1 and
// DBNavigator1) and tells each of them every change.
class DataSource {
public:
    using Listener = std::function<void(DataEvent)>;

    explicit DataSource(ResultSet* dataSet = nullptr);
    ~DataSource();
    DataSource(const DataSource&) = delete;
    DataSource& operator=(const DataSource&) = delete;

    ResultSet* dataSet() const { return dataSet_; }
    void setDataSet(ResultSet* dataSet);

    // Returns a handle for removeListener.
    int addListener(Listener listener);
    void removeListener(int handle);

private:
    friend class ResultSet;
    void notify(DataEvent event);
    void forget() { dataSet_ = nullptr; }

    ResultSet* dataSet_ = nullptr;
    std::vector<std::pair<int, Listener>> listeners_;
    int nextHandle_ = 1;
};

}  // namespace zlt::db
