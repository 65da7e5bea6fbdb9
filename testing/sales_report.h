// The report of the demo: the sample database SALES (shown as "Sales Live") compared with
// SALESTEST ("Sales Test"), with LF line ends. The command line prints it; the results box holds
// it after a run.
#ifndef VANTREL_TESTING_SALES_REPORT_H_
#define VANTREL_TESTING_SALES_REPORT_H_

namespace vantrel::test_support {

constexpr char kSalesReport[] =
    "Field: 'Name' in table 'Sales Live.SALES.Customers', and Sales Test.SALESTEST.Customers "
    "differ in the following ways. [Required, Size]\n\n"
    "Field: 'Phone' exists in table 'Sales Live.SALES.Customers', but not in "
    "'Sales Test.SALESTEST.Customers'\n\n"
    "Table: 'Sales Live.SALES.Customers', and 'Sales Test.SALESTEST.Customers' differ in the "
    "following ways. [Number of Fields]\n\n"
    "Table: 'Orders' exists in database 'Sales Live.SALES', but not in 'Sales Test.SALESTEST'\n\n"
    "Field: 'Name' in table 'Sales Test.SALESTEST.Customers', and Sales Live.SALES.Customers "
    "differ in the following ways. [Required, Size]\n\n"
    "Table: 'Sales Test.SALESTEST.Customers', and 'Sales Live.SALES.Customers' differ in the "
    "following ways. [Number of Fields]\n\n";

}  // namespace vantrel::test_support

#endif  // VANTREL_TESTING_SALES_REPORT_H_
