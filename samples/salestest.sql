-- The test copy of the sales database: Orders and Phone are not there yet, and Name is shorter
-- and optional.
CREATE TABLE Customers (
  CustomerID INTEGER PRIMARY KEY,
  Name VARCHAR(40)
);
