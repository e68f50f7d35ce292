// Closes the function that export_prefix.js opens, so the bundler sees one plain expression.
return KorvathCore;
})();
export default korvathCoreFactory;
