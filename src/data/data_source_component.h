#pragma once
// What a form names in a control's DataSource property, and what a data source names in its
// DataSet property. Components that own a data source (TDataSource, a table that brings its
// own) or that are a data set (a table) answer these, so data-aware controls find their data
// by the component's name without knowing its class.

namespace vorlan::data {

class DataSet;
class DataSource;

class DataSourceProvider {
public:
    virtual ~DataSourceProvider() = default;
    // Lives as long as the component; never null.
    virtual DataSource* dataSource() = 0;
};

class DataSetProvider {
public:
    virtual ~DataSetProvider() = default;
    // Null while the component has no data set.
    virtual DataSet* dataSet() = 0;
};

} // namespace vorlan::data
