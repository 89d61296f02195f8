// Writes the markup that embeds the album player into the page.
// Arguments come in name/value pairs: "src" (the movie without ".swf"), "width",
// "height", "fallback" (text shown where no player is available) and any number
// of further <param> names such as "flashvars", "quality" or "wmode".
function AC_escape(text) {
  return String(text)
    .replace(/&/g, "&amp;")
    .replace(/"/g, "&quot;")
    .replace(/</g, "&lt;")
    .replace(/>/g, "&gt;");
}

function AC_FL_RunContent() {
  var movie = "", width = "", height = "", fallback = "", params = [];
  for (var i = 0; i + 1 < arguments.length; i += 2) {
    var name = String(arguments[i]), value = arguments[i + 1];
    if (name === "src") movie = value + ".swf";
    else if (name === "width") width = value;
    else if (name === "height") height = value;
    else if (name === "fallback") fallback = value;
    else params.push([name, value]);
  }
  var html = '<object type="application/x-shockwave-flash" data="' + AC_escape(movie) + '"' +
    ' width="' + AC_escape(width) + '" height="' + AC_escape(height) + '">' +
    '<param name="movie" value="' + AC_escape(movie) + '">';
  for (var j = 0; j < params.length; ++j)
    html += '<param name="' + AC_escape(params[j][0]) + '" value="' + AC_escape(params[j][1]) + '">';
  html += '<p class="fallback">' + AC_escape(fallback) + '</p></object>';
  document.write(html);
}
