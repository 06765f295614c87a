// Names table-driven test cases after the name field of their row.
#pragma once

#include <gtest/gtest.h>
#include <string>

template <typename Row> std::string ParamName(const testing::TestParamInfo<Row>& row) {
    return row.param.name;
}
