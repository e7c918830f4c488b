// The publisher replaces this file with the book's settings (a global `bookConfig`).
