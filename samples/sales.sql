-- The live sales database of the demo.
CREATE TABLE Customers (
  CustomerID INTEGER PRIMARY KEY,
  Name VARCHAR(50) NOT NULL,
  Phone VARCHAR(24)
);
CREATE TABLE Orders (
  OrderID INTEGER PRIMARY KEY,
  Total NUMERIC(10, 2)
);
