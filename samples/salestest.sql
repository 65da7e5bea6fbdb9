-- The test copy of the sales database: Orders and Phone are not there yet, Name is shorter and
-- optional, not unique, and may not be empty.
CREATE TABLE Customers (
  CustomerID INTEGER PRIMARY KEY,
  Name VARCHAR(40),
  CHECK (Name <> '')
);
