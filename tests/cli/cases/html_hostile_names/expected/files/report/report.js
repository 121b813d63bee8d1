@asset report.js
