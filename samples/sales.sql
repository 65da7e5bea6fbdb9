-- The live sales database of the demo.
CREATE TABLE Customers (
  CustomerID INTEGER PRIMARY KEY,
  Name VARCHAR(50) NOT NULL,
  Phone VARCHAR(24)
);
-- Customers are looked up by name, and no two share one.
CREATE UNIQUE INDEX CustomerNames ON Customers (Name);
CREATE TABLE Orders (
  OrderID INTEGER PRIMARY KEY,
  Total NUMERIC(10, 2)
);
