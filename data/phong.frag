// Per-pixel Phong lighting from light 0 and the material. When bAmbient is 1 the colour map
// on unit 0 tints the ambient and diffuse terms; when bNormal is 1 the tangent-space normal
// map on unit 1 bends the normal. GLU spheres supply no tangents, so the tangent frame is
// built per pixel from the screen-space change of position and texture coordinates.
#version 110

uniform sampler2D TextureAmbient;
uniform sampler2D TextureNormal;
uniform int bAmbient;
uniform int bNormal;

varying vec3 eyePosition;
varying vec3 eyeNormal;

// Bends `normal` by the map's (x along s, y along t, z outward) direction. Where the
// texture coordinates do not change across the pixel (a mesh without them) the normal stays.
vec3 perturb(vec3 normal, vec2 st)
{
    vec3 dpx = dFdx(eyePosition);
    vec3 dpy = dFdy(eyePosition);
    vec2 dstx = dFdx(st);
    vec2 dsty = dFdy(st);
    vec3 dpyPerp = cross(dpy, normal);
    vec3 dpxPerp = cross(normal, dpx);
    vec3 tangent = dpyPerp * dstx.x + dpxPerp * dsty.x;
    vec3 bitangent = dpyPerp * dstx.y + dpxPerp * dsty.y;
    float scale = max(dot(tangent, tangent), dot(bitangent, bitangent));
    if (scale < 1.0e-20) {
        return normal;
    }
    scale = inversesqrt(scale);
    vec3 mapped = texture2D(TextureNormal, st).xyz * 2.0 - 1.0;
    vec3 bent = tangent * scale * mapped.x + bitangent * scale * mapped.y + normal * mapped.z;
    return length(bent) > 0.0 ? normalize(bent) : normal;
}

void main()
{
    vec3 normal = normalize(eyeNormal);
    // Two-sided lighting: a face seen from behind is lit as if it faced the viewer.
    if (!gl_FrontFacing) {
        normal = -normal;
    }
    vec2 st = gl_TexCoord[0].st;
    if (bNormal == 1) {
        normal = perturb(normal, st);
    }

    vec3 toLight;
    if (gl_LightSource[0].position.w == 0.0) {
        toLight = normalize(gl_LightSource[0].position.xyz);
    } else {
        toLight = normalize(gl_LightSource[0].position.xyz / gl_LightSource[0].position.w -
                            eyePosition);
    }
    vec3 toEye = normalize(-eyePosition);

    vec4 base = vec4(1.0);
    if (bAmbient == 1) {
        base = texture2D(TextureAmbient, st);
    }

    vec4 ambient = gl_FrontMaterial.emission +
                   gl_LightModel.ambient * gl_FrontMaterial.ambient * base +
                   gl_LightSource[0].ambient * gl_FrontMaterial.ambient * base;
    float diffuseFactor = max(dot(normal, toLight), 0.0);
    vec4 diffuse = gl_LightSource[0].diffuse * gl_FrontMaterial.diffuse * base * diffuseFactor;
    vec4 specular = vec4(0.0);
    if (diffuseFactor > 0.0) {
        vec3 reflected = reflect(-toLight, normal);
        float highlight = pow(max(dot(reflected, toEye), 1.0e-6), gl_FrontMaterial.shininess);
        specular = gl_LightSource[0].specular * gl_FrontMaterial.specular * highlight;
    }
    gl_FragColor = vec4((ambient + diffuse + specular).rgb, gl_FrontMaterial.diffuse.a);
}
