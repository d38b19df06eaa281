// The built page as a link preview reads it (no script run): a title that
// names the show, a description, Open Graph and Twitter card tags whose
// picture is in build-web/ (a frame of the show at the size the tags give),
// and a favicon that is the desktop icon.
'use strict';

const fs = require('fs');
const path = require('path');
const {PNG} = require('pngjs');
const show = require('./show_page');
const {Check, RunTest} = require('./checks');

const kMinDescription = 50; // characters: a sentence, not a word

// The content of <meta property|name="key" content="...">, or undefined.
function Meta(html, key) {
  for (const tag of html.match(/<meta\s[^>]*>/g) || []) {
    const name = tag.match(/\s(?:property|name)="([^"]*)"/);
    const content = tag.match(/\scontent="([^"]*)"/);
    if (name && content && name[1] === key) {
      return content[1];
    }
  }
  return undefined;
}

// A picture of the page's, read from build-web/ (null when it is not there).
// Its address may be absolute (./web.sh --url): the pictures lie beside the page.
function Picture(dir, url) {
  if (!url) {
    return null;
  }
  const file = path.join(dir, path.basename(new URL(url, 'http://page/').pathname));
  if (!fs.existsSync(file) || !fs.statSync(file).isFile()) {
    return null;
  }
  return PNG.sync.read(fs.readFileSync(file));
}

async function Main() {
  const dir = show.WebBuildDir();
  const html = fs.readFileSync(path.join(dir, 'index.html'), 'utf8');
  const title = (html.match(/<title>([^<]*)<\/title>/) || [])[1] || '';
  Check(/^Tromvisk\b.+/.test(title), `the title names the show: "${title}"`);
  const description = Meta(html, 'description') || '';
  Check(description.length >= kMinDescription, `a description: "${description}"`);
  for (const key of ['og:title', 'og:description', 'twitter:title', 'twitter:description']) {
    Check((Meta(html, key) || '').length > 0, `${key}: "${Meta(html, key)}"`);
  }
  Check(Meta(html, 'twitter:card') === 'summary_large_image', 'a large-picture Twitter card');

  const image = Meta(html, 'og:image');
  Check(Meta(html, 'twitter:image') === image, 'the Twitter card shows the Open Graph picture');
  const picture = Picture(dir, image);
  const width = Number(Meta(html, 'og:image:width'));
  const height = Number(Meta(html, 'og:image:height'));
  Check(picture && picture.width === width && picture.height === height &&
            show.LitPixels(picture) > width * height / 20,
        `og:image ${image} is in build-web/ at ${width}x${height}` +
            `${picture ? ` (${picture.width}x${picture.height}, ${show.LitPixels(picture)} lit pixels)` : ''}`);

  const icon = (html.match(/<link rel="icon"[^>]*href="([^"]*)"/) || [])[1];
  const favicon = Picture(dir, icon);
  Check(favicon && favicon.width === favicon.height && show.LitPixels(favicon) > 0,
        `the favicon ${icon} is a square picture in build-web/`);
}

RunTest(Main);
